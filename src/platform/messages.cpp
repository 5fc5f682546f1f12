#include "platform/messages.h"

#include <cstdio>
#include <string>
#include <utility>

#include "platform/installed_hook.h"
#include "platform/resources.h"

namespace {

qel::InstalledHook<qel::MessageSink> g_sink;
qel::InstalledHook<qel::CloseHook> g_close;

}  // namespace

namespace qel {

int DefaultMessageSink(const char* text, const char* caption, UINT /*style*/) {
  if (caption && *caption)
    std::fprintf(stderr, "%s: %s\n", caption, text ? text : "");
  else
    std::fprintf(stderr, "%s\n", text ? text : "");
  return IDOK;
}

MessageSink SetMessageSink(MessageSink sink) { return g_sink.Exchange(std::move(sink)); }

CloseHook SetCloseHook(CloseHook hook) { return g_close.Exchange(std::move(hook)); }

void RequestMainWindowClose() {
  if (const CloseHook hook = g_close.Get()) hook();
}

}  // namespace qel

int MessageBoxA(HWND /*owner*/, const char* text, const char* caption, UINT style) {
  const qel::MessageSink sink = g_sink.Get();
  return sink ? sink(text ? text : "", caption ? caption : "", style)
              : qel::DefaultMessageSink(text, caption, style);
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
