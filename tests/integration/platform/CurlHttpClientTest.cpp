#include "platform/linux/CurlHttpClient.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <fcntl.h>
#include <sys/wait.h>

#include <chrono>
#include <random>

#include "base/Task.h"
#include "base/VirtualEventLoop.h"
#include "integration/platform/ScriptedHttpServer.h"
#include "integration/platform/TempHome.h"

extern char** environ;

namespace pellora {
namespace {

using namespace std::chrono_literals;
using testing::ScriptedHttpServer;
using Seconds = std::chrono::duration<double>;
using Clock = std::chrono::steady_clock;

HttpRequest requestFor(const std::string& url, double requestTimeout = 5, double resourceTimeout = 30) {
    HttpRequest request;
    request.url = url;
    request.requestTimeout = requestTimeout;
    request.resourceTimeout = resourceTimeout;
    return request;
}

Task<void> fetchInto(HttpClient& client, HttpRequest request, std::optional<HttpResult>& out) {
    out = co_await fetch(client, std::move(request));
}

bool waitInRealTime(const std::function<bool()>& done, std::chrono::milliseconds limit = 3s) {
    const auto deadline = Clock::now() + limit;
    while (!done() && Clock::now() < deadline) std::this_thread::sleep_for(5ms);
    return done();
}

// Runs a program by absolute path with its output discarded; returns its id.
pid_t launch(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2})
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int exitStatusOf(pid_t pid) {
    int status = -1;
    ::waitpid(pid, &status, 0);
    return status;
}

int unusedPort() {
    ScriptedHttpServer server;
    return server.port();  // closed again when `server` goes
}

bool accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// A TLS server on 127.0.0.1 with a freshly made self-signed certificate (the system's
// openssl tool, so the test needs no TLS code of its own). Stopped when destroyed.
class SelfSignedTlsServer {
public:
    SelfSignedTlsServer() {
        const auto cert = (dir_.path() / "cert.pem").string();
        const auto key = (dir_.path() / "key.pem").string();
        const pid_t maker = launch({"/usr/bin/openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                                    "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key, "-out", cert,
                                    "-subj", "/CN=127.0.0.1", "-days", "1", "-addext",
                                    "subjectAltName=IP:127.0.0.1"});
        if (maker < 0 || exitStatusOf(maker) != 0) return;
        port_ = unusedPort();
        pid_ = launch({"/usr/bin/openssl", "s_server", "-accept", "127.0.0.1:" + std::to_string(port_), "-cert",
                       cert, "-key", key, "-www"});
        if (pid_ > 0) waitInRealTime([this] { return accepts(port_); });
    }
    ~SelfSignedTlsServer() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        exitStatusOf(pid_);
    }
    bool ready() const { return pid_ > 0 && accepts(port_); }
    std::string url(const std::string& path) const { return "https://127.0.0.1:" + std::to_string(port_) + path; }

private:
    testing::TempDir dir_;
    int port_ = 0;
    pid_t pid_ = -1;
};

class CurlHttpClientTest : public ::testing::Test {
protected:
    struct Outcome {
        HttpResult result;
        Seconds took{0};
        int completions = 0;
    };

    // One GET through the port, waited for in real time; completions are counted for a
    // moment longer so a second one would show.
    Outcome getAndWait(const HttpRequest& request, std::chrono::milliseconds limit = 5s) {
        Outcome outcome;
        std::optional<HttpResult> result;
        const auto started = Clock::now();
        client_.get(request, [&](HttpResult answer) {
            ++outcome.completions;
            result = std::move(answer);
        });
        EXPECT_TRUE(loop_.runUntil([&] { return result.has_value(); }, limit)) << request.url;
        outcome.took = Clock::now() - started;
        if (result) outcome.result = std::move(*result);
        return outcome;
    }

    static void expectError(const HttpResult& result, int code) {
        EXPECT_FALSE(result.response.has_value());
        ASSERT_TRUE(result.error.has_value());
        EXPECT_EQ(result.error->code, code) << result.error->description;
        EXPECT_FALSE(result.error->description.empty());
    }

    VirtualEventLoop loop_;
    MainLoopScope scope_{loop_};
    CurlHttpClient client_;
    ScriptedHttpServer server_;
};

TEST_F(CurlHttpClientTest, FetchDeliversStatusHeadersAndBodyAndSendsTheRequestHeaders) {
    server_.route("/api/pellora/desktop/handshake",
                  ScriptedHttpServer::answer(200, R"({"product":"pellora"})",
                                             {{"Content-Type", "application/json"}, {"X-Engine-Version", "1.4.2"}}));
    auto request = requestFor(server_.url("/api/pellora/desktop/handshake"));
    request.headers["X-Pellora-Probe"] = "yes";

    std::optional<HttpResult> result;
    spawn(fetchInto(client_, request, result));
    ASSERT_TRUE(loop_.runUntil([&] { return result.has_value(); }, 5s));

    ASSERT_TRUE(result->response.has_value()) << result->error->description;
    EXPECT_FALSE(result->error.has_value());
    const HttpResponse& response = *result->response;
    EXPECT_EQ(response.statusCode, 200);
    EXPECT_EQ(response.body, R"({"product":"pellora"})");
    EXPECT_EQ(response.url, request.url);  // the handshake compares these
    EXPECT_EQ(response.headers.at("x-engine-version"), "1.4.2");
    EXPECT_EQ(response.header("Content-Type"), "application/json");
    EXPECT_EQ(response.header("X-Missing"), std::nullopt);
    const auto heads = server_.requestsFor("/api/pellora/desktop/handshake");
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_TRUE(heads[0].starts_with("GET /api/pellora/desktop/handshake HTTP/1.1\r\n")) << heads[0];
    EXPECT_NE(heads[0].find("X-Pellora-Probe: yes\r\n"), std::string::npos) << heads[0];
}

TEST_F(CurlHttpClientTest, ErrorStatusesAndRedirectsAreResponsesAndRedirectsAreNotFollowed) {
    const std::string target = server_.url("/target");
    server_.route("/target", ScriptedHttpServer::answer(200, "followed"));
    struct Case {
        const char* path;
        int status;
        std::map<std::string, std::string> headers;
    };
    const std::vector<Case> cases = {
        {"/starting", 503, {}},
        {"/missing", 404, {}},
        {"/moved", 302, {{"Location", target}}},
        {"/to-https", 301, {{"Location", server_.url("/target", "https")}}},
        {"/relative", 307, {{"Location", "/target"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        server_.route(c.path, ScriptedHttpServer::answer(c.status, "answer " + std::to_string(c.status), c.headers));
        const auto request = requestFor(server_.url(c.path));
        const auto outcome = getAndWait(request);
        ASSERT_TRUE(outcome.result.response.has_value());
        EXPECT_FALSE(outcome.result.error.has_value());
        EXPECT_EQ(outcome.result.response->statusCode, c.status);
        EXPECT_EQ(outcome.result.response->body, "answer " + std::to_string(c.status));
        EXPECT_EQ(outcome.result.response->url, request.url);
        if (c.headers.contains("Location"))
            EXPECT_EQ(outcome.result.response->header("location"), c.headers.at("Location"));
    }
    EXPECT_TRUE(server_.requestsFor("/target").empty());
}

TEST_F(CurlHttpClientTest, TransportFailuresAreErrorsNotResponses) {
    server_.route("/hang-up", ScriptedHttpServer::hangUp());
    const std::string closedPort = "http://127.0.0.1:" + std::to_string(unusedPort()) + "/";
    const auto refused = getAndWait(requestFor(closedPort));
    expectError(refused.result, HttpTransportError::cannotConnectToHost);

    const auto hungUp = getAndWait(requestFor(server_.url("/hang-up")));
    EXPECT_FALSE(hungUp.result.response.has_value());
    ASSERT_TRUE(hungUp.result.error.has_value());
    EXPECT_FALSE(hungUp.result.error->isSecureConnectionFailure());
}

TEST_F(CurlHttpClientTest, SilenceTimesOutAfterTheRequestTimeout) {
    server_.route("/silent", ScriptedHttpServer::silence());
    const auto outcome = getAndWait(requestFor(server_.url("/silent"), 0.5));
    expectError(outcome.result, HttpTransportError::timedOut);
    EXPECT_GE(outcome.took.count(), 0.45);
    EXPECT_LT(outcome.took.count(), 0.9) << "a 1-second probe must not take much longer than a second";
}

// The request timeout bounds each silence, the resource timeout the whole exchange.
TEST_F(CurlHttpClientTest, RequestTimeoutIsPerSilenceAndResourceTimeoutIsForTheWhole) {
    const std::string body(6, 'x');
    ScriptedHttpServer::Script dribble = {{0ms, ScriptedHttpServer::head(200, body.size())}};
    for (char c : body) dribble.push_back({150ms, std::string(1, c)});
    ScriptedHttpServer::Script stall = {{0ms, ScriptedHttpServer::head(200, body.size()) + "xxx"}, {900ms, "xxx"}};
    server_.route("/dribble", dribble);
    server_.route("/stall", stall);
    struct Case {
        const char* name;
        std::string path;
        double requestTimeout;
        double resourceTimeout;
        bool succeeds;
    };
    const std::vector<Case> cases = {
        {"steady trickle outlasting the request timeout", "/dribble", 0.4, 30, true},
        {"steady trickle outlasting the resource timeout", "/dribble", 0.4, 0.5, false},
        {"silence mid-body", "/stall", 0.4, 30, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto outcome = getAndWait(requestFor(server_.url(c.path), c.requestTimeout, c.resourceTimeout));
        if (c.succeeds) {
            ASSERT_TRUE(outcome.result.response.has_value()) << outcome.result.error->description;
            EXPECT_EQ(outcome.result.response->body, body);
        } else {
            expectError(outcome.result, HttpTransportError::timedOut);
            EXPECT_LT(outcome.took.count(), 0.85);
        }
    }
}

TEST_F(CurlHttpClientTest, CancellingThePendingRequestReportsCancelledOnceAndPromptly) {
    server_.route("/silent", ScriptedHttpServer::silence());
    std::optional<HttpResult> result;
    int completions = 0;
    auto pending = client_.get(requestFor(server_.url("/silent"), 10), [&](HttpResult answer) {
        ++completions;
        result = std::move(answer);
    });
    ASSERT_TRUE(waitInRealTime([&] { return server_.requestsFor("/silent").size() == 1; }));
    const auto cancelledAt = Clock::now();
    pending->cancel();
    ASSERT_TRUE(loop_.runUntil([&] { return result.has_value(); }, 5s));
    EXPECT_LT(Seconds(Clock::now() - cancelledAt).count(), 0.5);
    expectError(*result, HttpTransportError::cancelled);
    pending->cancel();  // a second cancel after completion changes nothing
    loop_.runUntil([&] { return completions > 1; }, 300ms);
    EXPECT_EQ(completions, 1);
}

TEST_F(CurlHttpClientTest, CancellingTheFetchingTaskCancelsItsRequest) {
    server_.route("/silent", ScriptedHttpServer::silence());
    for (const bool beforeItStarts : {false, true}) {
        SCOPED_TRACE(beforeItStarts ? "cancelled before the fetch starts" : "cancelled while waiting");
        std::optional<HttpResult> result;
        const auto started = Clock::now();
        TaskHandle handle = spawn(fetchInto(client_, requestFor(server_.url("/silent"), 10), result));
        if (beforeItStarts) {
            handle.cancel();
        } else {
            const auto seen = server_.requestsFor("/silent").size();
            loop_.runUntilIdle();
            ASSERT_TRUE(waitInRealTime([&] { return server_.requestsFor("/silent").size() > seen; }));
            handle.cancel();
        }
        ASSERT_TRUE(loop_.runUntil([&] { return handle.isFinished(); }, 5s));
        ASSERT_TRUE(result.has_value());
        expectError(*result, HttpTransportError::cancelled);
        EXPECT_LT(Seconds(Clock::now() - started).count(), 1.0);
    }
}

TEST_F(CurlHttpClientTest, TlsFailuresCarrySecureConnectionCodes) {
    SelfSignedTlsServer tls;
    ASSERT_TRUE(tls.ready()) << "could not start openssl s_server";
    struct Case {
        const char* name;
        std::string url;
    };
    const std::vector<Case> cases = {
        {"self-signed certificate", tls.url("/")},
        {"plain HTTP server behind an https URL", server_.url("/", "https")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto outcome = getAndWait(requestFor(c.url, 3));
        EXPECT_FALSE(outcome.result.response.has_value());
        ASSERT_TRUE(outcome.result.error.has_value());
        EXPECT_TRUE(outcome.result.error->isSecureConnectionFailure())
            << outcome.result.error->code << " " << outcome.result.error->description;
    }
}

TEST_F(CurlHttpClientTest, LargeBinaryBodyArrivesWhole) {
    std::string body(8 << 20, '\0');
    std::mt19937 random(7);
    for (char& c : body) c = static_cast<char>(random());
    server_.route("/large", ScriptedHttpServer::answer(200, body));
    const auto outcome = getAndWait(requestFor(server_.url("/large")));
    ASSERT_TRUE(outcome.result.response.has_value());
    EXPECT_EQ(outcome.result.response->body.size(), body.size());
    EXPECT_TRUE(outcome.result.response->body == body);
}

}  // namespace
}  // namespace pellora
