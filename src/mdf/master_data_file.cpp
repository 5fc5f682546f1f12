// The master data file: its form and version, both read forms over new-model defaults, the XML
// form generated straight from the record, and saving that never leaves a half-written file.
// Also CQelMDF's archive operations, which are the same reader and writer.
#include "mdf/master_data_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "mdf/archive_xml_write_internal.h"
#include "mdf/cqelmdf.h"
#include "mdf/map_xml.h"
#include "mdf/mdf_v1.h"
#include "mdf/smdf_xml.h"
#include "platform/carchive.h"
#include "platform/cfile.h"
#include "platform/ctime.h"
#include "platform/file_system.h"

namespace qel {

namespace {

constexpr char kMdfItem[] = "MDF";
constexpr std::size_t kVersionProbeBytes = 1024;

static_assert(sizeof(MasterDataV1) == kMdfBinaryImageBytes);

// Reads until `count` bytes have arrived or the file ends; the number read.
UINT ReadFully(CFile& file, void* buffer, UINT count) {
  auto* out = static_cast<unsigned char*>(buffer);
  UINT done = 0;
  while (done < count) {
    const UINT n = file.Read(out + done, count - done);
    if (n == 0) break;
    done += n;
  }
  return done;
}

// The unit system whose defaults a stored record gets. A code outside the three systems (a
// damaged file) still reads, with the English defaults; the stored code itself is kept by the
// unmap that follows.
int DefaultsUnits(std::int32_t units) { return units >= 0 && units <= 2 ? units : 0; }

}  // namespace

bool IsXmlMdf(CFile& file) {
  char head[kMdfXmlOpeningBytes] = {};
  file.SeekToBegin();
  const UINT n = ReadFully(file, head, sizeof head);
  file.SeekToBegin();
  return n == sizeof head && std::memcmp(head, kMdfXmlOpening, sizeof head) == 0;
}

float ReadMdfFileVersion(CFile& file) {
  float version = 0.0f;
  file.SeekToBegin();
  if (IsXmlMdf(file)) {
    char buf[kVersionProbeBytes] = {};
    const UINT got = ReadFully(file, buf, sizeof buf);
    const std::string_view text(buf, got);
    const std::size_t root = text.find("<QELArchive ");
    if (root != std::string_view::npos && root + 12 < sizeof buf) {
      const std::size_t attr = text.find("version=", root + 12);
      if (attr != std::string_view::npos && attr + 8 < sizeof buf) {
        std::size_t pos = attr + 8;
        if (buf[pos] == '"') ++pos;
        // A full buffer has no terminator; atof reads a terminated copy of the rest instead.
        if (pos < sizeof buf) {
          const std::string number(buf + pos, sizeof buf - pos);
          version = static_cast<float>(std::atof(number.c_str()));
        }
      }
    }
  } else if (file.GetLength() >= kMdfLongBinaryBytes) {
    float v = 0.0f;
    if (ReadFully(file, &v, sizeof v) == sizeof v) version = v;
  } else {
    float v = 0.0f;
    file.Seek(kMdfShortBinaryVersionOffset, CFile::begin);
    if (ReadFully(file, &v, sizeof v) == sizeof v) version = v;
  }
  file.SeekToBegin();
  return version;
}

bool ReadMdfFile(CFile& file, SMDF& mdf) {
  auto work = std::make_unique<SMDF>();  // value-initialised: all zeros
  bool ok = false;
  try {
    if (IsXmlMdf(file)) {
      // The document goes straight into the record; the defaults of the archive's unit system
      // are laid down first, so every field the archive lacks keeps its default.
      std::string text;
      if (ReadArchiveFileText(file, text)) {
        const auto prepare = [](const BYTE* units, std::size_t size, SMDF& record) {
          std::int32_t code = 0;
          if (units != nullptr) std::memcpy(&code, units, std::min(size, sizeof code));
          FillNewModelDefaults(record, DefaultsUnits(code));
        };
        ok = UnMapXmlToSMDF(text.data(), text.size(), *work, prepare) == SmdfXmlStatus::kOk;
      }
    } else {
      // Bytes that a short image does not supply stay zero.
      auto image = std::make_unique<MasterDataV1>();
      file.SeekToBegin();
      ReadFully(file, image.get(), sizeof(MasterDataV1));
      ArchiverDataMap map;
      MapMasterDataV1(*image, map);
      FillNewModelDefaults(*work, DefaultsUnits(image->Units));
      UnMapSMDF(map, *work);
      ClearDataMap(map);
      ok = true;
    }
  } catch (const CFileException&) {
    ok = false;
  }
  if (!ok) std::memset(static_cast<void*>(work.get()), 0, sizeof(SMDF));
  std::memcpy(static_cast<void*>(&mdf), work.get(), sizeof(SMDF));
  return ok;
}

std::string MdfDocument(const SMDF& mdf) {
  std::string text;
  text.reserve(96 * 1024);  // a record's document is about 70 KiB
  ArchiveXmlWriter writer(text);
  writer.DocumentHead(kMdfArchiveVersion);
  text += '>';
  writer.Struct(kMdfItem, SmdfLayout(), &mdf);
  text += ArchiveXmlWriter::kRootEnd;
  return text;
}

bool WriteMdfFile(CFile& file, const SMDF& mdf) {
  try {
    WriteArchiveText(file, MdfDocument(mdf));
  } catch (const CFileException&) {
    return false;
  }
  return true;
}

bool SaveMdfFile(const char* path, const SMDF& mdf) {
  if (path == nullptr) return false;
  const std::string text = MdfDocument(mdf);
  // Hold the writer's lock on the current file while it is replaced, so that a reader in the
  // middle of reading it (in this process or another) makes the save fail instead of being
  // overtaken. A missing file needs no lock.
  CFile lock;
  CFileException error;
  if (!lock.Open(path, CFile::modeRead | CFile::shareExclusive | CFile::typeBinary, &error) &&
      error.m_cause != CFileException::fileNotFound)
    return false;
  return ReplaceFileAtomically(path, text.data(), text.size());
}

void StampMdf(SMDF* mdf, const CTime& when) {
  if (mdf == nullptr) return;
  CopyFixedText(mdf->Date, sizeof mdf->Date, when.Format("%m/%d/%y"));
  CopyFixedText(mdf->Time, sizeof mdf->Time, when.Format("%H:%M:%S"));
}

}  // namespace qel

// CQelMDF's archive form is the master data file itself, read from or written to the archive's
// file at its current position.
void CQelMDF::Serialize(CArchive& ar) {
  if (ar.IsStoring())
    WriteMdf(ar);
  else
    ReadMdf(ar);
}

void CQelMDF::ReadMdf(CArchive& ar) { qel::ReadMdfFile(*ar.GetFile(), *m_pMdf); }

void CQelMDF::WriteMdf(CArchive& ar) {
  // Whatever the archive still buffers belongs before the record.
  ar.Flush();
  qel::WriteMdfFile(*ar.GetFile(), *m_pMdf);
}
