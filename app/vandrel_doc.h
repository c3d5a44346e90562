// The document: empty; it holds no data and reads and writes nothing.
// Created by the document template, one at a time.
#pragma once

#include "document.h"

class CVandrelDoc : public CDocument {
    DECLARE_DYNCREATE(CVandrelDoc)
public:
    BOOL OnNewDocument() override;
    void Serialize(CArchive& ar) override;

protected:
    CVandrelDoc() = default;

    DECLARE_MESSAGE_MAP()
};
