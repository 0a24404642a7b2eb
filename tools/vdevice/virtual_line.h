#pragma once
// The virtual device behind the line interface of a serial port. A write hands
// the bytes to the device; echo and answer wait for the following reads.
#include "devicelink/comline.h"
#include "tools/vdevice/paced_output.h"
#include "tools/vdevice/virtual_device.h"

#include <memory>

namespace kelvo {

class TVirtualLine : public TComLine {
public:
    // With pace set, the bytes become readable at the rate of the baud rate
    // (10 bit times each) as on a real line; without it, at once.
    explicit TVirtualLine(std::shared_ptr<TVirtualDevice> device, bool pace = false,
                          int baud = 115200);
    // Holds echo and answers as a USB serial adapter with this latency timer does.
    void SetLatency(std::chrono::milliseconds latency) { FOutput.SetLatency(latency); }

    bool Configure(int baud) override;
    bool Purge(bool both) override;
    bool SetRts(bool on) override;
    bool SetDtr(bool on) override;
    long Read(unsigned char* buffer, std::size_t count) override;
    long Write(const unsigned char* buffer, std::size_t count) override;

    TVirtualDevice& Device() { return *FDevice; }
    const std::shared_ptr<TVirtualDevice>& SharedDevice() const { return FDevice; }
    int Baud() const { return FBaud; }
    bool Rts() const { return FRts; }
    bool Dtr() const { return FDtr; }
    // Bytes written by the PC side and bytes it has read, over the line's life.
    long BytesWritten() const { return FWritten; }
    long BytesRead() const { return FRead; }

private:
    std::shared_ptr<TVirtualDevice> FDevice;
    TPacedOutput FOutput;
    bool FPace;
    int FBaud;
    bool FRts = true;
    bool FDtr = false;
    long FWritten = 0;
    long FRead = 0;
};

// An opener for the device link that gives every port a line to the same device,
// so that values survive closing and reopening the port.
TComLineOpener VirtualLineOpener(std::shared_ptr<TVirtualDevice> device, bool pace = false,
                                 std::chrono::milliseconds latency = {});

} // namespace kelvo
