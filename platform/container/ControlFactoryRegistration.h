#pragma once
// Registers a control factory for its lifetime and puts back whatever was registered before, so a
// test's fake control never leaks into the next test.

#include "platform/container/ControlFactories.h"

class CControlFactoryRegistration {
public:
    CControlFactoryRegistration(const QString& clsidText, ControlFactory factory);
    ~CControlFactoryRegistration();
    CControlFactoryRegistration(const CControlFactoryRegistration&) = delete;
    CControlFactoryRegistration& operator=(const CControlFactoryRegistration&) = delete;

private:
    QString m_clsidText;
    ControlFactory m_previous;
};
