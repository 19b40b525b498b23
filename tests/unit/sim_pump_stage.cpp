// The event pump's contract stage on the simulated desktop.
#include <memory>

#include "desktop.h"
#include "pump_stage.h"
#include "sim_host.h"

namespace vorivevo::contract {
namespace {

class SimPumpStage final : public PumpStage {
public:
    EventLoop& Events() override { return host_; }
    AnnouncerView& View() override { return host_; }
    void AttachSink(WindowEventSink* sink) override { host_.AttachSink(sink); }

    void Click(WindowEvent command) override { host_.Script(host_.Time(), command); }
    void LetTimePass(Duration time) override { desktop_.Clock().AdvanceBy(sim::SimHost::ToSeconds(time)); }
    // The system's move loop, as a drag begins it.
    void RunSystemLoop(Duration time) override {
        host_.SetDragSeconds(sim::SimHost::ToSeconds(time));
        desktop_.SendMessageA(host_.OwnWindow(), WM_NCLBUTTONDOWN, HTCAPTION, LParam{0});
    }

private:
    sim::Desktop desktop_;
    sim::SimHost host_{desktop_};
};

}  // namespace

std::unique_ptr<PumpStage> MakePumpStage() { return std::make_unique<SimPumpStage>(); }

}  // namespace vorivevo::contract
