// A client of QEMU's machine protocol (QMP) on a Unix socket: one command at a time, each
// answered before the next is sent; asynchronous events in between are skipped.
#ifndef KIVO_BOARD_QMP_CLIENT_H
#define KIVO_BOARD_QMP_CLIENT_H

#include <string>

namespace kivo_board {

class QmpClient {
  public:
    // Connects to the socket, waiting up to timeout_ms for QEMU to create it, and leaves the
    // capabilities negotiation behind. Throws std::runtime_error when it cannot.
    QmpClient(const std::string& socket_path, int timeout_ms);
    ~QmpClient();
    QmpClient(const QmpClient&) = delete;
    QmpClient& operator=(const QmpClient&) = delete;

    // Sends one command (a JSON object) and returns its answer line. Throws std::runtime_error on
    // an error answer or when QEMU goes away.
    std::string execute(const std::string& command);

  private:
    std::string read_line();

    int fd_ = -1;
    std::string pending_;
};

} // namespace kivo_board

#endif
