// The document: empty; it holds no data and reads and writes nothing.
#pragma once

#include "document.h"

class CVandrelDoc : public CDocument {
    DECLARE_DYNCREATE(CVandrelDoc)
public:
    BOOL OnNewDocument() override;

protected:
    CVandrelDoc() = default;

    DECLARE_MESSAGE_MAP()
};
