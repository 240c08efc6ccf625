#include "tests/mediaengine/drives/ScriptedDriveProbe.h"

CScriptedDriveProbe::CScriptedDriveProbe() : m_state(std::make_shared<State>()) {}

void CScriptedDriveProbe::Set(const QString& device, DriveState state) {
    std::lock_guard lock(m_state->mutex);
    m_state->states.insert(device, state);
}

void CScriptedDriveProbe::Swap(const QString& device) {
    std::lock_guard lock(m_state->mutex);
    m_state->swapped.insert(device, true);
}

int CScriptedDriveProbe::Looks() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->looks;
}

QStringList CScriptedDriveProbe::Ejects() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->ejects;
}

DriveProbe CScriptedDriveProbe::Probe(const QString& mountsFile, const QString& byLabelDir) const {
    DriveProbe probe;
    const std::shared_ptr<State> state = m_state;
    probe.read = [state](const QString& device) {
        std::lock_guard lock(state->mutex);
        ++state->looks;
        DriveReading reading;
        reading.state = state->states.value(device, DriveState::NoDisc);
        reading.mediaChanged = state->swapped.take(device);
        return reading;
    };
    probe.eject = [state](const QString& device, QString*) {
        std::lock_guard lock(state->mutex);
        state->ejects.append(device);
        state->states.insert(device, DriveState::TrayOpen);
        return true;
    };
    // Not the machine's mount table: a test's disc is mounted only when the test says so.
    probe.mounts = mountsFile;
    probe.byLabel = byLabelDir;
    return probe;
}
