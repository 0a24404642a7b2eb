// What the PC sends the virtual device: control codes and frames in any order.
#include "tools/vdevice/virtual_device.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvo;
    TVirtualDevice device;
    // Feed in uneven pieces, as bytes trickle in on a line.
    std::size_t at = 0;
    while (at < size) {
        const std::size_t piece = 1 + data[at] % 37;
        const std::size_t n = piece < size - at ? piece : size - at;
        device.Feed(data + at, n);
        at += n;
    }
    return 0;
}
