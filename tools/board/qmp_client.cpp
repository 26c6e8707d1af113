#include "qmp_client.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace kivo_board {

namespace {

constexpr int answer_limit_ms = 20000;

std::runtime_error failure(const std::string& what)
{
    return std::runtime_error("qmp: " + what);
}

bool starts_with(const std::string& s, const char* prefix)
{
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

} // namespace

QmpClient::QmpClient(const std::string& socket_path, int timeout_ms)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socket_path.size() >= sizeof address.sun_path)
        throw failure("socket path too long: " + socket_path);
    std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);

    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0)
            throw failure(std::string("socket: ") + std::strerror(errno));
        if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            break;
        const int error = errno;
        close(fd_);
        fd_ = -1;
        if (std::chrono::steady_clock::now() > limit)
            throw failure(socket_path + ": " + std::strerror(error));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (read_line().find("\"QMP\"") == std::string::npos) {
        close(fd_);
        throw failure("no greeting");
    }
    execute(R"({"execute": "qmp_capabilities"})");
}

QmpClient::~QmpClient()
{
    if (fd_ >= 0)
        close(fd_);
}

std::string QmpClient::execute(const std::string& command)
{
    const std::string line = command + "\n";
    for (size_t sent = 0; sent < line.size();) {
        const ssize_t n = send(fd_, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR)
            throw failure(std::string("send: ") + std::strerror(errno));
        sent += n > 0 ? static_cast<size_t>(n) : 0;
    }
    for (;;) {
        std::string answer = read_line();
        if (starts_with(answer, "{\"return\""))
            return answer;
        if (starts_with(answer, "{\"error\""))
            throw failure(command + ": " + answer);
    }
}

std::string QmpClient::read_line()
{
    const auto limit =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(answer_limit_ms);
    for (;;) {
        const size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            limit - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            throw failure("no answer within " + std::to_string(answer_limit_ms) + " ms");
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) < 0 && errno != EINTR)
            throw failure(std::string("poll: ") + std::strerror(errno));
        char buffer[4096];
        const ssize_t n = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n == 0)
            throw failure("QEMU closed the connection");
        if (n > 0)
            pending_.append(buffer, static_cast<size_t>(n));
        else if (errno != EAGAIN && errno != EINTR)
            throw failure(std::string("recv: ") + std::strerror(errno));
    }
}

} // namespace kivo_board
