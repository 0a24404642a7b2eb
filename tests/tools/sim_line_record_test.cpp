#include "tools/vdevice/demo_dialog.h"
#include "tools/vdevice/sim_line_record.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

using namespace kelvo;

TEST(SimLineRecord, ChoiceRecordLayout) {
    TSimLine line;
    line.Address = 0x0102;
    line.Flags = 0x0200;
    line.Layout = 0x0400;
    line.Caption = "Mode";
    line.Raw = RawChoice(1);
    line.Choices = {"A", "B"};
    const TBytes expected{0x02, 0x01, 0x00, 0x02, 0x00, 0x04, 'M', 'o', 'd',
                          'e',  0,    0x01, 0x00, 'A',  0,    'B', 0,   0};
    TBytes out;
    AppendLineRecord(out, line);
    EXPECT_EQ(out, expected);

    const auto read = ReadLineRecords(out);
    ASSERT_TRUE(read && read->size() == 1);
    EXPECT_EQ(read->front().Caption, line.Caption);
    EXPECT_EQ(read->front().Choices, line.Choices);
    EXPECT_EQ(read->front().Raw, line.Raw);

    // An empty first choice still travels, so that the list is not cut short.
    line.Choices = {"", "On"};
    out.clear();
    AppendLineRecord(out, line);
    EXPECT_EQ(TBytes(out.end() - 5, out.end()), (TBytes{0, 'O', 'n', 0, 0}));
}

TEST(SimLineRecord, RejectsBadRecords) {
    const TBytes good = BuiltinDemoDialogRecords();
    std::size_t offset = 99;
    // Cut inside the last record: the whole file is refused, and where is told.
    EXPECT_FALSE(ReadLineRecords(TBytes(good.begin(), good.end() - 1), &offset));
    EXPECT_GT(offset, 0u);
    const TBytes noValueClass{0x01, 0x00, 0x00, 0x05, 0x00, 0x00, 'X', 0};
    EXPECT_FALSE(ReadLineRecords(noValueClass));
    const TBytes emptyCaption{0x01, 0x00, 0x00, 0x0F, 0x00, 0x00, 0};
    EXPECT_FALSE(ReadLineRecords(emptyCaption));
    TBytes longText{0x01, 0x00, 0x00, 0x03, 0x00, 0x00, 'T', 0};
    longText.insert(longText.end(), MaxRecordText + 1, 'x');
    longText.push_back(0);
    EXPECT_FALSE(ReadLineRecords(longText));

    // A caption one record too long whose rest happens to look like a second
    // record: cutting it would serve a line the file never held.
    TBytes longCaption{0x01, 0x00, 0x00, 0x0F, 0x00, 0x00};
    longCaption.insert(longCaption.end(), MaxRecordText, 'c');
    const TBytes hidden{0x01, 0x01, 0x01, 0x0F, 0x01, 0x01, 'Z', 0};
    longCaption.insert(longCaption.end(), hidden.begin(), hidden.end());
    offset = 99;
    EXPECT_FALSE(ReadLineRecords(longCaption, &offset));
    EXPECT_EQ(offset, 0u);
    // A choice text with the list separator in it would come back as two choices.
    const TBytes barInChoice{0x01, 0x00, 0x00, 0x02, 0x00, 0x00, 'M', 0,
                             0x00, 0x00, 'A',  '|',  'B',  0,    0};
    EXPECT_FALSE(ReadLineRecords(barInChoice));
}

TEST(SimLineRecord, ModelLinesKeepEveryPart) {
    for (const TSimLine& line : BuiltinDemoDialog().Lines) {
        SCOPED_TRACE(line.Caption);
        const TDlgline model = DlglineOf(line);
        ASSERT_TRUE(model.Value);
        EXPECT_EQ(model.Kind(), line.Kind());
        const TSimLine back = SimLineOf(model);
        EXPECT_EQ(back.Address, line.Address);
        EXPECT_EQ(back.Flags, line.Flags);
        EXPECT_EQ(back.Layout, line.Layout);
        EXPECT_EQ(back.Caption, line.Caption);
        EXPECT_EQ(back.Raw, line.Raw);
        EXPECT_EQ(back.Choices, line.Choices);
    }
    // Another value in place of the line's own, as the dialog download sends
    // a line with its working value.
    // A copy: the dialog returned is a temporary (ASan: use after free).
    const TSimLine serial = BuiltinDemoDialog().Lines[3];
    ASSERT_EQ(serial.Kind(), SkLong);
    EXPECT_EQ(DlglineOf(serial, RawLong(-7)).Value->GetLong(), -7);
}

TEST(DemoDialog, DataFileEqualsTheBuiltInDialog) {
    std::ifstream file(KELVO_DEMO_DIALOG_FILE, std::ios::binary);
    ASSERT_TRUE(file) << KELVO_DEMO_DIALOG_FILE;
    const TBytes data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_EQ(data, BuiltinDemoDialogRecords());
    const auto lines = ReadLineRecords(data);
    ASSERT_TRUE(lines);
    EXPECT_EQ(WriteLineRecords(*lines), data);
}

TEST(DemoDialog, ShowsEveryFeatureInAValidLayout) {
    const TSimDialog dialog = BuiltinDemoDialog();
    const auto& lines = dialog.Lines;
    ASSERT_GE(lines.size(), 20u);
    ASSERT_LE(lines.size(), 40u);
    std::set<int> kinds;
    bool readOnly = false, production = false, live = false, separator = false, indented = false,
         placeholder = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TSimLine& l = lines[i];
        if (i > 0) {
            EXPECT_LT(lines[i - 1].Address, l.Address) << "addresses rise, each once";
        }
        kinds.insert(l.Kind());
        readOnly |= l.IsReadOnly();
        production |= (l.Flags & 0x0060) != 0;
        live |= l.IsLive();
        separator |= (l.Flags & 0x0080) != 0;
        indented |= (l.Flags & 0x0005) != 0;
        placeholder |= l.Caption.find("%d{") != std::string::npos;
        EXPECT_LE(l.Caption.size(), MaxRecordText);
        if (l.Kind() == SkChoice) {
            EXPECT_LT(ChoiceOfRaw(l.Raw), l.Choices.size()) << l.Caption;
        }
        // A group: a Long count line, then member lines; members never stand alone.
        if (l.IsGroupMember()) {
            EXPECT_TRUE(lines[i - 1].IsGroupMember() || lines[i - 1].GroupLevel() == 1);
        }
        if (l.GroupLevel() == 1) {
            EXPECT_EQ(l.Kind(), SkLong);
            ASSERT_LT(i + 1, lines.size());
            EXPECT_TRUE(lines[i + 1].IsGroupMember());
        }
    }
    EXPECT_EQ(kinds, (std::set<int>{SkLong, SkDouble, SkChoice, SkText, SkLabel}));
    EXPECT_TRUE(readOnly && production && live && separator && indented && placeholder);
    // The line old-data conversion uses to recognise the device program.
    const auto name = std::find_if(lines.begin(), lines.end(),
                                   [](const TSimLine& l) { return l.Address == 0x0011; });
    ASSERT_NE(name, lines.end());
    EXPECT_EQ(name->Caption, "Programmname");
    EXPECT_EQ(name->Flags, 0x2300);
    EXPECT_EQ(name->Layout, 0);
    EXPECT_FALSE(dialog.HidingRules.empty());
}

TEST(DemoDialog, RecordsOfASavedDocumentCollapseToOneInstance) {
    // A saved document holds every instance of the alarm group; the device keeps
    // one description and takes the other instances' values.
    std::vector<TSimLine> saved;
    for (const TSimLine& l : BuiltinDemoDialog().Lines) {
        if (!l.IsGroupMember())
            saved.push_back(l);
    }
    const auto firstMember = std::find_if(saved.begin(), saved.end(),
                                          [](const TSimLine& l) { return l.GroupLevel() == 1; }) +
                             1;
    std::vector<TSimLine> members;
    for (const TSimLine& l : BuiltinDemoDialog().Lines)
        if (l.IsGroupMember())
            members.push_back(l);
    std::vector<TSimLine> region;
    for (int instance = 0; instance < 3; ++instance) {
        for (TSimLine l : members) {
            if (l.Address == demo::AlarmSetpoint)
                l.Raw = RawDouble(70.0 + instance);
            region.push_back(l);
        }
    }
    saved.insert(firstMember, region.begin(), region.end());

    TSimDialog dialog;
    std::string error;
    ASSERT_TRUE(DialogFromRecords(saved, dialog, error)) << error;
    EXPECT_EQ(WriteLineRecords(dialog.Lines).size(),
              BuiltinDemoDialogRecords().size()); // one instance again
    ASSERT_EQ(dialog.InstanceValues.size(), 2 * members.size());
    const auto setpoint2 = std::find_if(
        dialog.InstanceValues.begin(), dialog.InstanceValues.end(), [](const TInstanceValue& v) {
            return v.Address == demo::AlarmSetpoint && v.Instance == 2;
        });
    ASSERT_NE(setpoint2, dialog.InstanceValues.end());
    EXPECT_EQ(DoubleOfRaw(setpoint2->Raw), 72.0);

    // The same address twice outside a group cannot be served.
    saved.push_back(saved.front());
    EXPECT_FALSE(DialogFromRecords(saved, dialog, error));
    EXPECT_NE(error.find("0x0010"), std::string::npos);
}
