#include "platform/com/ComBSTR.h"

#include <memory>
#include <utility>

CComBSTR::CComBSTR(const QString& text) : m_str(SysAllocString(text)) {}

CComBSTR::CComBSTR(const OLECHAR* text) : m_str(SysAllocString(text)) {}

CComBSTR::CComBSTR(const CComBSTR& other) : m_str(other.Copy()) {}

CComBSTR::CComBSTR(CComBSTR&& other) noexcept : m_str(std::exchange(other.m_str, nullptr)) {}

CComBSTR::~CComBSTR() {
    SysFreeString(m_str);
}

CComBSTR& CComBSTR::operator=(const CComBSTR& other) {
    if (this != std::addressof(other)) {
        Attach(other.Copy());
    }
    return *this;
}

CComBSTR& CComBSTR::operator=(CComBSTR&& other) noexcept {
    if (this != std::addressof(other)) {
        Attach(std::exchange(other.m_str, nullptr));
    }
    return *this;
}

CComBSTR& CComBSTR::operator=(const QString& text) {
    Attach(SysAllocString(text));
    return *this;
}

BSTR* CComBSTR::operator&() {
    Empty();
    return &m_str;
}

BSTR CComBSTR::Copy() const {
    return m_str ? SysAllocStringLen(m_str, SysStringLen(m_str)) : nullptr;
}

BSTR CComBSTR::Detach() {
    return std::exchange(m_str, nullptr);
}

void CComBSTR::Attach(BSTR text) {
    if (text != m_str) {
        SysFreeString(std::exchange(m_str, text));
    }
}

void CComBSTR::Empty() {
    SysFreeString(std::exchange(m_str, nullptr));
}
