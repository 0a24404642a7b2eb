// Caption templates: any text, with indices and a value of any kind; the
// expansion must end with a text whatever the placeholders say.
#include "fuzz_input.h"
#include "model/caption_expansion.h"
#include "model/dlglinevalue.h"
#include "model/dlglinevalue_choice.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvo;
    fuzz::TFuzzInput in(data, size);
    // The first bytes choose the variables, the rest is the template.
    TCaptionVariables vars;
    const int small = in.Byte();
    vars.I = small & 1 ? in.Long() : in.Below(100);
    vars.J = small & 2 ? in.Long() : in.Below(100);
    vars.K = small & 4 ? in.Long() : in.Below(100);
    std::unique_ptr<TDlglineValue> value;
    switch ((small >> 3) % 6) {
    case 0:
        break;
    case 1:
        value = std::make_unique<TDlglineValueLong>();
        value->SetLong(in.Long());
        break;
    case 2: {
        auto d = std::make_unique<TDlglineValueDouble>();
        std::uint64_t bits = std::uint32_t(in.Long());
        bits |= std::uint64_t(std::uint32_t(in.Long())) << 32;
        static_assert(sizeof bits == sizeof d->Value);
        __builtin_memcpy(&d->Value, &bits, sizeof bits);
        value = std::move(d);
        break;
    }
    case 3: {
        auto c = std::make_unique<TDlglineValueChoice>();
        c->SetChoices(std::vector<std::string>{"Off", "On", "Auto"});
        c->SetLong(in.Below(3));
        value = std::move(c);
        break;
    }
    case 4:
        value = std::make_unique<TDlglineValueText>();
        value->SetText("text");
        break;
    default:
        value = std::make_unique<TDlglineValueLabel>();
        break;
    }
    vars.Value = value.get();
    // Whatever the decisions above left is the template.
    const std::string_view pattern = in.Rest();
    const std::string text = ExpandCaptionTemplate(pattern, vars);
    // The caption stops at its length limit: what it shows then is at most
    // that limit, one placeholder's digits and a short message.
    if (text.size() > CaptionVisibleLimit + 2 + 32 + 16)
        __builtin_trap();
    return 0;
}
