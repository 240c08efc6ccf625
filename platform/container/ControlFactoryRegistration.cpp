#include "platform/container/ControlFactoryRegistration.h"

#include <utility>

CControlFactoryRegistration::CControlFactoryRegistration(const QString& clsidText, ControlFactory factory)
    : m_clsidText(clsidText),
      m_previous(CControlFactories::Instance().Register(clsidText, std::move(factory))) {}

CControlFactoryRegistration::~CControlFactoryRegistration() {
    CControlFactories::Instance().Register(m_clsidText, std::move(m_previous));
}
