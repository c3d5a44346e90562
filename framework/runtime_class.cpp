#include "runtime_class.h"

const CRuntimeClass CObject::classCObject = {"CObject", 0xFFFF, nullptr, nullptr};

const CRuntimeClass* CObject::GetRuntimeClass() const {
    return &classCObject;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
    for (const CRuntimeClass* p = this; p != nullptr;
         p = p->m_pfnGetBaseClass != nullptr ? p->m_pfnGetBaseClass() : nullptr) {
        if (p == pBaseClass) {
            return true;
        }
    }
    return false;
}
