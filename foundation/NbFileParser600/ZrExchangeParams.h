#pragma once
#include "NbExport.h"
#include "VexaString.h"

namespace ZRC {

// Parameters of a file exchange (import or export).
class NBPS_API ZrExchangeParams {
public:
    explicit ZrExchangeParams(int fileType = 0);
    virtual ~ZrExchangeParams();
    void SetFilePathName(const VEXA::VexaString& path);
    VEXA::VexaString GetFilePathName() const;
    int GetFileType() const;

private:
    int m_fileType;
    VEXA::VexaString m_path;
};

class NBPS_API ZrImportParams : public ZrExchangeParams {
public:
    explicit ZrImportParams(int fileType = 0);
    ~ZrImportParams() override;
};

} // namespace ZRC
