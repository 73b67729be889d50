#include "ZrExchangeParams.h"

namespace ZRC {

ZrExchangeParams::ZrExchangeParams(int fileType) : m_fileType(fileType) {}
ZrExchangeParams::~ZrExchangeParams() = default;

void ZrExchangeParams::SetFilePathName(const VEXA::VexaString& path) { m_path = path; }

VEXA::VexaString ZrExchangeParams::GetFilePathName() const { return m_path; }

int ZrExchangeParams::GetFileType() const { return m_fileType; }

ZrImportParams::ZrImportParams(int fileType) : ZrExchangeParams(fileType) {}
ZrImportParams::~ZrImportParams() = default;

} // namespace ZRC
