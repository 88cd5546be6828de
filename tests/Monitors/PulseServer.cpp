#include "PulseServer.h"

#include <unistd.h>

#include <regex>

#include "QtTestEnvironment.h"

namespace halvane::test {

PulseServer::PulseServer() {
    if (::access("/usr/bin/pulseaudio", X_OK) != 0 || ::access("/usr/bin/pactl", X_OK) != 0) {
        m_why = "pulseaudio or pactl is not installed (packages pulseaudio, pulseaudio-utils)";
        return;
    }
    m_server = "unix:" + (m_runtime / "pulse" / "native").string();
    m_ready = launch();
}

bool PulseServer::launch() {
    // Foreground, so the fixture owns the pid; as root the daemon warns and
    // runs anyway.
    m_daemon = std::make_unique<ServiceProcess>(
        std::vector<std::string>{
            "/usr/bin/pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
            "--load=module-native-protocol-unix", "--load=module-null-sink sink_name=ci"},
        std::map<std::string, std::optional<std::string>>{
            {"XDG_RUNTIME_DIR", m_runtime.path().string()}});
    const bool answering =
        waitUntil([this] { return !m_daemon->running() || pactl({"info"}).exitStatus == 0; });
    if (!answering || !m_daemon->running()) {
        m_why = "pulseaudio did not start: " + m_daemon->errorOutput();
        return false;
    }
    return true;
}

bool PulseServer::restart() {
    m_daemon.reset();
    m_ready = launch();
    return m_ready;
}

PulseServer::~PulseServer() = default;

ChildResult PulseServer::pactl(const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv{"/usr/bin/pactl"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildOptions options;
    options.environment["PULSE_SERVER"] = m_server;
    return runChild(argv, options);
}

double PulseServer::sinkVolume(const std::string& sink) const {
    const ChildResult result = pactl({"get-sink-volume", sink});
    static const std::regex firstChannel(R"(Volume: [^:]+:\s*(\d+))");
    std::smatch match;
    if (result.exitStatus != 0 || !std::regex_search(result.standardOutput, match, firstChannel)) {
        return -1.0;
    }
    return std::stod(match[1].str()) / 65536.0;
}

std::vector<double> PulseServer::sinkChannels(const std::string& sink) const {
    const ChildResult result = pactl({"get-sink-volume", sink});
    const std::string firstLine = result.standardOutput.substr(0, result.standardOutput.find('\n'));
    static const std::regex channel(R"(:\s*(\d+) /)");
    std::vector<double> channels;
    for (auto it = std::sregex_iterator(firstLine.begin(), firstLine.end(), channel);
         it != std::sregex_iterator(); ++it) {
        channels.push_back(std::stod((*it)[1].str()) / 65536.0);
    }
    return channels;
}

bool PulseServer::sinkMuted(const std::string& sink) const {
    return pactl({"get-sink-mute", sink}).standardOutput.find("yes") != std::string::npos;
}

}  // namespace halvane::test
