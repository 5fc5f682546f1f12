#include "platform/messages.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <utility>

#include "platform/resources.h"

namespace {

int DefaultSink(const char* text, const char* caption, UINT /*style*/) {
  if (caption && *caption)
    std::fprintf(stderr, "%s: %s\n", caption, text ? text : "");
  else
    std::fprintf(stderr, "%s\n", text ? text : "");
  return IDOK;
}

std::mutex g_hookLock;
qel::MessageSink g_sink;
qel::CloseHook g_close;

}  // namespace

namespace qel {

MessageSink SetMessageSink(MessageSink sink) {
  std::lock_guard<std::mutex> lock(g_hookLock);
  return std::exchange(g_sink, std::move(sink));
}

CloseHook SetCloseHook(CloseHook hook) {
  std::lock_guard<std::mutex> lock(g_hookLock);
  return std::exchange(g_close, std::move(hook));
}

void RequestMainWindowClose() {
  CloseHook hook;
  {
    std::lock_guard<std::mutex> lock(g_hookLock);
    hook = g_close;
  }
  if (hook) hook();
}

}  // namespace qel

int MessageBoxA(HWND /*owner*/, const char* text, const char* caption, UINT style) {
  qel::MessageSink sink;
  {
    std::lock_guard<std::mutex> lock(g_hookLock);
    sink = g_sink;
  }
  return sink ? sink(text ? text : "", caption ? caption : "", style)
              : DefaultSink(text, caption, style);
}

void OutputDebugStringA(const char* text) {
  std::string line = text ? text : "";
  if (!line.empty() && line.back() == '\n') line.pop_back();
  MessageBoxA(nullptr, line.c_str(), "", qel::kDebugOutputStyle);
}

int AfxMessageBox(const char* text, UINT style, UINT /*helpId*/) {
  return MessageBoxA(nullptr, text, "", style);
}

int AfxMessageBox(UINT stringId, UINT style, UINT helpId) {
  return AfxMessageBox(qel::LoadResString(stringId), style, helpId);
}
