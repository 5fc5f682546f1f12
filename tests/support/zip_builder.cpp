#include "zip_builder.h"

#include <zlib.h>

#include <stdexcept>

#include "golden_bytes.h"

namespace qeltest {

std::vector<unsigned char> Deflate(const std::vector<unsigned char>& data) {
  z_stream z{};
  if (deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2");
  std::vector<unsigned char> out(deflateBound(&z, data.size()) + 16);
  z.next_in = const_cast<unsigned char*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::uint32_t Crc32(const std::vector<unsigned char>& data) {
  return static_cast<std::uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size())));
}

std::vector<unsigned char> Text(const std::string& s) { return {s.begin(), s.end()}; }

ZipLayout BuildZip(const std::vector<ZipEntrySpec>& entries, const std::string& comment) {
  struct Placed {
    std::size_t localOffset;
    std::vector<unsigned char> stored;
  };
  std::vector<Placed> placed;
  Bytes out;
  auto sizes64 = [](Bytes& b, std::uint64_t u, std::uint64_t c) {
    b.U16(0x0001).U16(16).U64(u).U64(c);
  };
  for (const ZipEntrySpec& e : entries) {
    if (e.shareDataOf) {
      placed.push_back(placed.at(*e.shareDataOf));
      continue;
    }
    Placed p{out.size(), e.method == 8 ? Deflate(e.data) : e.data};
    const std::uint64_t usize = e.declaredSize.value_or(e.data.size());
    const std::uint32_t crc = e.crc.value_or(Crc32(e.data));
    out.U32(0x04034b50).U16(e.zip64 ? 45 : 20).U16(e.flags).U16(e.method);
    out.U16(e.dosTime).U16(e.dosDate).U32(crc);
    out.U32(e.zip64 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(p.stored.size()));
    out.U32(e.zip64 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(usize));
    out.U16(static_cast<unsigned>(e.name.size())).U16(e.zip64 ? 20 : 0).Raw(e.name);
    if (e.zip64) sizes64(out, usize, p.stored.size());
    out.Raw(std::string(p.stored.begin(), p.stored.end()));
    placed.push_back(std::move(p));
  }
  ZipLayout layout;
  layout.centralOffset = out.size();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ZipEntrySpec& e = entries[i];
    const ZipEntrySpec& owner = e.shareDataOf ? entries[*e.shareDataOf] : e;
    const Placed& p = placed[i];
    const std::uint64_t usize = e.declaredSize.value_or(owner.data.size());
    const std::uint32_t crc = e.crc.value_or(Crc32(owner.data));
    out.U32(0x02014b50).U16(20).U16(e.zip64 ? 45 : 20).U16(e.flags).U16(owner.method);
    out.U16(e.dosTime).U16(e.dosDate).U32(crc);
    out.U32(e.zip64 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(p.stored.size()));
    out.U32(e.zip64 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(usize));
    out.U16(static_cast<unsigned>(e.name.size())).U16(e.zip64 ? 20 : 0).U16(0);
    out.U16(0).U16(0).U32(0).U32(static_cast<std::uint32_t>(p.localOffset)).Raw(e.name);
    if (e.zip64) sizes64(out, usize, p.stored.size());
  }
  layout.endOffset = out.size();
  const auto count = static_cast<unsigned>(entries.size());
  out.U32(0x06054b50).U16(0).U16(0).U16(count).U16(count);
  out.U32(static_cast<std::uint32_t>(layout.endOffset - layout.centralOffset));
  out.U32(static_cast<std::uint32_t>(layout.centralOffset));
  out.U16(static_cast<unsigned>(comment.size())).Raw(comment);
  layout.bytes = out.bytes();
  return layout;
}

}  // namespace qeltest
