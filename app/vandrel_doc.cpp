#include "vandrel_doc.h"

IMPLEMENT_DYNCREATE(CVandrelDoc, CDocument)

BEGIN_MESSAGE_MAP(CVandrelDoc, CDocument)
END_MESSAGE_MAP()

BOOL CVandrelDoc::OnNewDocument() {
    return CDocument::OnNewDocument() ? TRUE : FALSE;
}

// Neither direction reads or writes anything: saving leaves an empty file.
void CVandrelDoc::Serialize(CArchive& /*ar*/) {}
