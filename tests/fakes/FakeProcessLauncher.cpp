#include "FakeProcessLauncher.h"

#include <fstream>
#include <utility>

namespace pellora {

namespace {

void writeIfFile(const StdioTarget& target, const std::string& text) {
    if (target.kind != StdioTarget::Kind::file) return;
    std::ofstream file(target.path, std::ios::binary | std::ios::app);
    file << text;
}

class FakeChild final : public ChildProcess {
public:
    FakeChild(FakeProcessLauncher& owner, FakeProcessLauncher::Script script)
        : owner_(owner), script_(std::move(script)) {
        pending_[0] = script_.standardOutput;
        pending_[1] = script_.standardError;
    }
    std::int32_t pid() const override { return script_.pid; }
    std::optional<std::int32_t> terminationStatus() override {
        if (killedBy_) return killedBy_;
        if (script_.runsUntilKilled) return std::nullopt;
        return script_.status;
    }
    std::int32_t waitUntilExit() override { return terminationStatus().value_or(-1); }
    void sendSignal(int signal) override {
        owner_.childSignals.emplace_back(script_.pid, signal);
        if (signal == 9 || signal == 15) killedBy_ = signal;
    }
    std::string readAvailable(Stream stream) override {
        return std::exchange(pending_[stream == Stream::standardOutput ? 0 : 1], std::string());
    }

private:
    FakeProcessLauncher& owner_;
    FakeProcessLauncher::Script script_;
    std::string pending_[2];
    std::optional<std::int32_t> killedBy_;
};

}  // namespace

std::vector<LaunchSpec> FakeProcessLauncher::launchesOf(const std::string& executable) const {
    std::vector<LaunchSpec> found;
    for (const auto& spec : launches) {
        if (spec.executable == executable) found.push_back(spec);
    }
    return found;
}

std::unique_ptr<ChildProcess> FakeProcessLauncher::launch(const LaunchSpec& spec) {
    launches.push_back(spec);
    Script script;
    if (respond) {
        script = respond(spec);
    } else if (auto found = scripts.find(spec.executable); found != scripts.end()) {
        script = found->second;
    }
    if (script.launchError) throw *script.launchError;
    writeIfFile(spec.standardOutput, script.standardOutput);
    writeIfFile(spec.standardError, script.standardError);
    return std::make_unique<FakeChild>(*this, std::move(script));
}

}  // namespace pellora
