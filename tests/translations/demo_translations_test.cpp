#include "tools/vdevice/demo_dialog.h"
#include "translations/mlparas.h"
#include "translations/mlselect.h"
#include "translations/mltext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvo {
namespace {

// Every caption and choice list of the built-in device, as the document holds them.
std::vector<TMltext> DemoTexts() {
    std::vector<TMltext> texts;
    for (const TSimLine& line : BuiltinDemoDialog().Lines) {
        if (!line.HasValue() || line.Caption.empty())
            continue;
        texts.emplace_back("T" + line.Caption);
        if (line.Kind() == SkChoice) {
            std::string list = "C";
            for (const std::string& choice : line.Choices)
                list += "|" + choice;
            texts.emplace_back(list);
        }
    }
    return texts;
}

TEST(ShippedTranslations, CoverEveryTextOfTheDemonstrationDevice) {
    TMlparas paras;
    ASSERT_GE(paras.LoadFile(std::string(KELVO_TEST_DATA_DIR) + "/kelvo.lng"), 2);
    std::vector<TMltext> texts = DemoTexts();
    for (const char* language : {"English", "Deutsch"}) {
        std::vector<std::string> missing;
        const int position = SelectTranslation(paras, language, [&](const TMlpara& p) {
            missing.clear();
            for (TMltext& t : texts)
                if (t.LookUp(&p) < 0)
                    missing.push_back(t.Text());
            return static_cast<int>(missing.size());
        });
        EXPECT_GE(position, 0) << language;
        for (const std::string& text : missing)
            ADD_FAILURE() << language << " lacks " << text;
    }
}

} // namespace
} // namespace kelvo
