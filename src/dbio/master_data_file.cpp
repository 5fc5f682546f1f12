// The master data file of CDBIO: recognising its form and version, reading either form into an
// SMDF over the defaults of a new model, and saving it as an XML archive without ever leaving a
// half-written file behind. Also CQelMDF's archive operations, which go through the same reader
// and writer.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "dbio/dbio.h"
#include "mdf/cqelmdf.h"
#include "mdf/map_xml.h"
#include "mdf/mdf_form.h"
#include "mdf/mdf_v1.h"
#include "mdf/smdf.h"
#include "mdf/smdf_xml.h"
#include "platform/carchive.h"
#include "platform/cfile.h"
#include "platform/ctime.h"
#include "platform/file_system.h"

namespace {

constexpr char kMdfExt[] = "qel";
constexpr char kMdfItem[] = "MDF";
constexpr std::size_t kVersionProbeBytes = 1024;

static_assert(sizeof(MasterDataV1) == qel::kMdfBinaryImageBytes);

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

// The XML document of `mdf`, or false when it cannot be built.
bool BuildMdfDocument(const SMDF& mdf, std::string& text) {
  auto copy = std::make_unique<SMDF>(mdf);
  ArchiverDataMap map;
  MapSMDF(*copy, map);
  CMapXml xml;
  IXMLDOMDocument* doc = xml.MapToXml(map, kMdfItem, qel::kMdfArchiveVersion);
  ClearDataMap(map);
  if (doc == nullptr) return false;
  text = doc->xml();
  return true;
}

}  // namespace

namespace qel {

void StampMdf(SMDF* mdf, const CTime& when) {
  qel::CopyFixedText(mdf->Date, sizeof mdf->Date, when.Format("%m/%d/%y"));
  qel::CopyFixedText(mdf->Time, sizeof mdf->Time, when.Format("%H:%M:%S"));
}

}  // namespace qel

bool CDBIO::IsXml(CFile& file) {
  char head[qel::kMdfXmlOpeningBytes] = {};
  file.SeekToBegin();
  const UINT n = ReadFully(file, head, sizeof head);
  file.SeekToBegin();
  return n == sizeof head && std::memcmp(head, qel::kMdfXmlOpening, sizeof head) == 0;
}

float CDBIO::ReadMdfVersion(CFile& file) {
  float version = 0.0f;
  file.SeekToBegin();
  if (IsXml(file)) {
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
  } else if (file.GetLength() >= qel::kMdfLongBinaryBytes) {
    float v = 0.0f;
    if (ReadFully(file, &v, sizeof v) == sizeof v) version = v;
  } else {
    float v = 0.0f;
    file.Seek(qel::kMdfShortBinaryVersionOffset, CFile::begin);
    if (ReadFully(file, &v, sizeof v) == sizeof v) version = v;
  }
  file.SeekToBegin();
  return version;
}

bool CDBIO::ReadMdf(SMDF* mdf) {
  if (mdf == nullptr) return false;
  CFile file;
  if (!file.Open(RecordFilePath(kMdfExt),
                 CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary))
    return false;
  return ReadMdf(mdf, file);
}

bool CDBIO::ReadMdf(SMDF* mdf, CFile& file) {
  if (mdf == nullptr) return false;
  auto work = std::make_unique<SMDF>();  // value-initialised: all zeros
  bool ok = false;
  try {
    if (IsXml(file)) {
      // The document goes straight into the record; the defaults of the archive's unit system
      // are laid down first, so every field the archive lacks keeps its default.
      std::string text;
      if (qel::ReadArchiveFileText(file, text)) {
        const auto prepare = [this](const BYTE* units, std::size_t size, SMDF& record) {
          std::int32_t code = 0;
          if (units != nullptr) std::memcpy(&code, units, std::min(size, sizeof code));
          SetMdfDefaults(&record, DefaultsUnits(code));
        };
        ok = qel::UnMapXmlToSMDF(text.data(), text.size(), *work, prepare) ==
             qel::SmdfXmlStatus::kOk;
      }
    } else {
      // Bytes that a short image does not supply stay zero.
      auto image = std::make_unique<MasterDataV1>();
      file.SeekToBegin();
      ReadFully(file, image.get(), sizeof(MasterDataV1));
      ArchiverDataMap map;
      MapMasterDataV1(*image, map);
      SetMdfDefaults(work.get(), DefaultsUnits(image->Units));
      UnMapSMDF(map, *work);
      ClearDataMap(map);
      ok = true;
    }
  } catch (const CFileException&) {
    ok = false;
  }
  if (!ok) std::memset(static_cast<void*>(work.get()), 0, sizeof(SMDF));
  std::memcpy(static_cast<void*>(mdf), work.get(), sizeof(SMDF));
  return ok;
}

bool CDBIO::WriteMdf(SMDF* mdf) {
  if (mdf == nullptr) return false;
  std::string text;
  if (!BuildMdfDocument(*mdf, text)) return false;
  const CString path = RecordFilePath(kMdfExt);
  // Hold the writer's lock on the current file while it is replaced, so that a reader in the
  // middle of reading it (in this process or another) makes the save fail instead of being
  // overtaken. A missing file needs no lock.
  CFile lock;
  CFileException error;
  if (!lock.Open(path, CFile::modeRead | CFile::shareExclusive | CFile::typeBinary, &error) &&
      error.m_cause != CFileException::fileNotFound)
    return false;
  return qel::ReplaceFileAtomically(static_cast<const char*>(path), text.data(), text.size());
}

bool CDBIO::WriteMdf(SMDF* mdf, CFile& file) {
  if (mdf == nullptr) return false;
  auto copy = std::make_unique<SMDF>(*mdf);
  ArchiverDataMap map;
  MapSMDF(*copy, map);
  bool ok = false;
  try {
    CMapXml xml;
    ok = xml.MapToXmlFile(map, kMdfItem, file, qel::kMdfArchiveVersion);
  } catch (const CFileException&) {
    ok = false;
  }
  ClearDataMap(map);
  return ok;
}

void CDBIO::UpdateTimeStamp(SMDF* mdf) {
  if (mdf == nullptr) return;
  qel::StampMdf(mdf, CTime::GetCurrentTime());
  WriteMdf(mdf);
}

void CDBIO::SetMdfDefaults(SMDF* mdf, int units) {
  // The string table is compiled into the library, so unlike a resource module it is always
  // reachable and there is no other module to switch to while the defaults load their labels.
  CQelMDF defaults(units, mdf);
  defaults.SetUnits(units);
  defaults.FileNewInit(units, "");
}

void CDBIO::SetMdfDefault(ArchiverDataMap& map, const char* name, void* data, size_t size) {
  if (name == nullptr || map.find(std::string_view(name)) != map.end()) return;
  MapDataItem(map, name, data, size);
}

// CQelMDF's archive form is the master data file itself, read from or written to the archive's
// file at its current position.
void CQelMDF::Serialize(CArchive& ar) {
  if (ar.IsStoring())
    WriteMdf(ar);
  else
    ReadMdf(ar);
}

void CQelMDF::ReadMdf(CArchive& ar) {
  CDBIO file(m_pMdf);
  file.ReadMdf(m_pMdf, *ar.GetFile());
}

void CQelMDF::WriteMdf(CArchive& ar) {
  // Whatever the archive still buffers belongs before the record.
  ar.Flush();
  CDBIO file(m_pMdf);
  file.WriteMdf(m_pMdf, *ar.GetFile());
}
