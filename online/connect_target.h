#pragma once
// Where a go-online command connects. The values are the port numbers the
// online operation takes: a COM port from 1 to 255, 0 for the link's current
// port (the port of the last successful connection), -1 to go offline and -2
// to try the current port again as "Scan COM ports" does.
namespace kelvo {

enum class TConnectTarget : int {
    Scan = -2,
    Offline = -1,
    LastPort = 0,
    // 1 .. 255: that COM port (ComPort)
};

constexpr TConnectTarget ComPort(int port) {
    return static_cast<TConnectTarget>(port);
}

// The number of target: the Tag of its connect action, and the port the
// link opens for a COM port.
constexpr int PortArgument(TConnectTarget target) {
    return static_cast<int>(target);
}

} // namespace kelvo
