#pragma once
// A line whose device goes away after a number of writes: from then on reads
// and writes answer as a terminal whose USB adapter was pulled out does.
#include "devicelink/comline.h"

#include <memory>

namespace kelvo::test {

struct TVanishing {
    int WritesLeft = 1'000'000; // the write that brings it to 0 finds the device gone
    int CallsAfterGone = 0;     // line calls made once it had gone
    int Opened = 0;
};

class TVanishingLine : public TComLine {
public:
    TVanishingLine(std::unique_ptr<TComLine> line, TVanishing& state)
        : FLine(std::move(line)), FState(state) {}
    bool Configure(int baud) override { return FLine->Configure(baud); }
    bool Purge(bool both) override { return Gone() ? false : FLine->Purge(both); }
    bool SetRts(bool on) override { return Gone() ? false : FLine->SetRts(on); }
    bool SetDtr(bool on) override { return Gone() ? false : FLine->SetDtr(on); }
    long Read(unsigned char* buffer, std::size_t count) override {
        return Gone() ? LineGone : FLine->Read(buffer, count);
    }
    long Write(const unsigned char* buffer, std::size_t count) override {
        if (FState.WritesLeft > 0)
            --FState.WritesLeft;
        return Gone() ? LineGone : FLine->Write(buffer, count);
    }

private:
    bool Gone() {
        if (FState.WritesLeft > 0)
            return false;
        ++FState.CallsAfterGone;
        return true;
    }
    std::unique_ptr<TComLine> FLine;
    TVanishing& FState;
};

// Lines of opener that can vanish, all sharing state.
inline TComLineOpener VanishingOpener(TComLineOpener opener, TVanishing& state) {
    return [opener, &state](int port) -> std::unique_ptr<TComLine> {
        ++state.Opened;
        auto line = opener(port);
        return line ? std::make_unique<TVanishingLine>(std::move(line), state) : nullptr;
    };
}

} // namespace kelvo::test
