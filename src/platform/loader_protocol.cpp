#include "platform/loader_protocol.h"

#include <cstring>

#include "platform/paths.h"

namespace qel::loader {
namespace {

class Writer {
 public:
  void U8(std::uint8_t v) { out_.push_back(v); }
  void U16(std::uint16_t v) { Raw(&v, sizeof v); }
  void U32(std::uint32_t v) { Raw(&v, sizeof v); }
  void I32(std::int32_t v) { Raw(&v, sizeof v); }
  void F64(double v) { Raw(&v, sizeof v); }
  void Text(const std::string& s) {
    U32(static_cast<std::uint32_t>(s.size()));
    out_.insert(out_.end(), s.begin(), s.end());
  }
  void Value(const loader::Value& v) {
    U16(v.vt);
    switch (v.vt) {
      case VT_I4:
      case VT_ERROR:
        I32(v.i4);
        break;
      case VT_BOOL:
        U16(static_cast<std::uint16_t>(v.i4));
        break;
      case VT_R8:
        F64(v.r8);
        break;
      case VT_BSTR:
        Text(v.text);
        break;
      case VT_UNKNOWN:
        U32(v.object);
        U8(v.dispatch ? 1 : 0);
        break;
      default:
        break;
    }
  }
  std::vector<unsigned char> Take() { return std::move(out_); }

 private:
  // The host is little-endian, as the message format is.
  void Raw(const void* p, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    out_.insert(out_.end(), b, b + n);
  }
  std::vector<unsigned char> out_;
};

class Reader {
 public:
  Reader(const unsigned char* data, std::size_t size) : p_(data), left_(data ? size : 0) {}
  bool U8(std::uint8_t& v) { return Raw(&v, sizeof v); }
  bool U16(std::uint16_t& v) { return Raw(&v, sizeof v); }
  bool U32(std::uint32_t& v) { return Raw(&v, sizeof v); }
  bool I32(std::int32_t& v) { return Raw(&v, sizeof v); }
  bool F64(double& v) { return Raw(&v, sizeof v); }
  bool Text(std::string& s) {
    std::uint32_t n = 0;
    if (!U32(n) || n > left_) return false;
    s.assign(reinterpret_cast<const char*>(p_), n);
    p_ += n;
    left_ -= n;
    return true;
  }
  bool Value(loader::Value& v, bool objectsAllowed) {
    if (!U16(v.vt)) return false;
    switch (v.vt) {
      case VT_EMPTY:
      case VT_NULL:
        return true;
      case VT_I4:
      case VT_ERROR:
        return I32(v.i4);
      case VT_BOOL: {
        std::uint16_t b = 0;
        if (!U16(b)) return false;
        v.i4 = static_cast<std::int16_t>(b);
        return true;
      }
      case VT_R8:
        return F64(v.r8);
      case VT_BSTR:
        return Text(v.text);
      case VT_UNKNOWN: {
        std::uint8_t flags = 0;
        if (!objectsAllowed || !U32(v.object) || !U8(flags) || flags > 1) return false;
        v.dispatch = flags == 1;
        return true;
      }
      default:
        return false;
    }
  }
  bool AtEnd() const { return left_ == 0; }

 private:
  bool Raw(void* out, std::size_t n) {
    if (n > left_) return false;
    std::memcpy(out, p_, n);
    p_ += n;
    left_ -= n;
    return true;
  }
  const unsigned char* p_;
  std::size_t left_;
};

bool KnownOp(std::uint8_t op) {
  return op >= static_cast<std::uint8_t>(Op::kHello) &&
         op <= static_cast<std::uint8_t>(Op::kRelease);
}

std::size_t CreationTexts(Op op) { return op == Op::kCreateInstance ? 5 : 2; }

}  // namespace

std::vector<unsigned char> EncodeRequest(const Request& request) {
  Writer w;
  w.U8(static_cast<std::uint8_t>(request.op));
  switch (request.op) {
    case Op::kHello:
      w.U32(request.version);
      break;
    case Op::kCreateInstance:
    case Op::kCreateInstanceFrom:
      for (std::size_t i = 0; i < CreationTexts(request.op); ++i)
        w.Text(i < request.texts.size() ? request.texts[i] : std::string());
      break;
    case Op::kGetIDOfName:
      w.U32(request.object);
      w.Text(request.texts.empty() ? std::string() : request.texts[0]);
      break;
    case Op::kInvoke:
      w.U32(request.object);
      w.I32(request.dispid);
      w.U8(static_cast<std::uint8_t>(request.args.size()));
      for (const auto& a : request.args) w.Value(a);
      break;
    case Op::kRelease:
      w.U32(request.object);
      break;
  }
  return w.Take();
}

bool DecodeRequest(const unsigned char* data, std::size_t size, Request& request) {
  request = Request();
  Reader r(data, size);
  std::uint8_t op = 0;
  if (!r.U8(op) || !KnownOp(op)) return false;
  request.op = static_cast<Op>(op);
  switch (request.op) {
    case Op::kHello:
      if (!r.U32(request.version)) return false;
      break;
    case Op::kCreateInstance:
    case Op::kCreateInstanceFrom:
      request.texts.resize(CreationTexts(request.op));
      for (auto& t : request.texts)
        if (!r.Text(t)) return false;
      break;
    case Op::kGetIDOfName:
      request.texts.resize(1);
      if (!r.U32(request.object) || !r.Text(request.texts[0])) return false;
      break;
    case Op::kInvoke: {
      std::uint8_t count = 0;
      if (!r.U32(request.object) || !r.I32(request.dispid) || !r.U8(count) || count > kMaxArguments)
        return false;
      request.args.resize(count);
      for (auto& a : request.args)
        if (!r.Value(a, false)) return false;
      break;
    }
    case Op::kRelease:
      if (!r.U32(request.object)) return false;
      break;
  }
  return r.AtEnd();
}

std::vector<unsigned char> EncodeReply(const Reply& reply) {
  Writer w;
  w.U8(static_cast<std::uint8_t>(reply.op));
  w.I32(reply.hr);
  if (FAILED(reply.hr)) return w.Take();
  switch (reply.op) {
    case Op::kHello:
      w.U32(reply.version);
      w.U32(reply.pid);
      break;
    case Op::kCreateInstance:
    case Op::kCreateInstanceFrom:
    case Op::kInvoke:
      w.Value(reply.value);
      break;
    case Op::kGetIDOfName:
      w.I32(reply.dispid);
      break;
    case Op::kRelease:
      break;
  }
  return w.Take();
}

bool DecodeReply(const unsigned char* data, std::size_t size, Reply& reply) {
  reply = Reply();
  Reader r(data, size);
  std::uint8_t op = 0;
  std::int32_t hr = 0;
  if (!r.U8(op) || !KnownOp(op) || !r.I32(hr)) return false;
  reply.op = static_cast<Op>(op);
  reply.hr = hr;
  if (FAILED(hr)) return r.AtEnd();
  switch (reply.op) {
    case Op::kHello:
      if (!r.U32(reply.version) || !r.U32(reply.pid)) return false;
      break;
    case Op::kCreateInstance:
    case Op::kCreateInstanceFrom:
    case Op::kInvoke:
      if (!r.Value(reply.value, true)) return false;
      break;
    case Op::kGetIDOfName:
      if (!r.I32(reply.dispid)) return false;
      break;
    case Op::kRelease:
      break;
  }
  return r.AtEnd();
}

HRESULT ToValue(const VARIANT& variant, Value& value) {
  value = Value();
  value.vt = variant.vt;
  switch (variant.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return S_OK;
    case VT_I4:
      value.i4 = variant.lVal;
      return S_OK;
    case VT_ERROR:
      value.i4 = variant.scode;
      return S_OK;
    case VT_BOOL:
      value.i4 = variant.boolVal;
      return S_OK;
    case VT_R8:
      value.r8 = variant.dblVal;
      return S_OK;
    case VT_BSTR:
      value.text = WideToUtf8(BstrText(variant.bstrVal));
      return S_OK;
    default:
      value = Value();
      return DISP_E_TYPEMISMATCH;
  }
}

HRESULT FromValue(const Value& value, VARIANT& variant) {
  VariantInit(&variant);
  switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
      break;
    case VT_I4:
      variant.lVal = value.i4;
      break;
    case VT_ERROR:
      variant.scode = value.i4;
      break;
    case VT_BOOL:
      variant.boolVal = value.i4 ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case VT_R8:
      variant.dblVal = value.r8;
      break;
    case VT_BSTR: {
      const std::wstring text = Utf8ToWide(value.text);
      variant.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      if (!variant.bstrVal) return E_OUTOFMEMORY;
      break;
    }
    default:
      return DISP_E_TYPEMISMATCH;
  }
  variant.vt = value.vt;
  return S_OK;
}

}  // namespace qel::loader
