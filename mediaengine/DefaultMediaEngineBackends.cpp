#include "mediaengine/MediaEngineBackends.h"

#include "mediaengine/disc/DiscReader.h"
#include "mediaengine/rip/RipJob.h"

namespace {

class CRipJobRun final : public IRipRun {
public:
    CRipJobRun(const RipRequest& request, const RipCallbacks& callbacks, const RipFaults& faults)
        : m_job(request, callbacks, faults) {}
    void Start() override { m_job.Start(); }
    void Stop() override { m_job.Stop(); }

private:
    CRipJob m_job;
};

} // namespace

MediaEngineBackends DefaultMediaEngineBackends() {
    MediaEngineBackends backends;
    backends.readDisc = [](const QString& source, DiscInfo* info, QString* error) {
        const std::unique_ptr<CDiscReader> reader = CDiscReader::Open(source, error);
        if (!reader) {
            return false;
        }
        *info = reader->Info();
        return true;
    };
    backends.makeRip = [](const RipRequest& request, const RipCallbacks& callbacks, const RipFaults& faults) {
        return std::unique_ptr<IRipRun>(new CRipJobRun(request, callbacks, faults));
    };
    return backends;
}
