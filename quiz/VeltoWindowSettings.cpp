#include "VeltoWindowSettings.h"

#include "Settings.h"

namespace {

constexpr Colour kWhite { 0xFF, 0xFF, 0xFF };
constexpr Colour kBlack { 0x00, 0x00, 0x00 };

// What differs between the controls; every other value is the same for all.
struct ControlRow {
    const char* name;
    Int32 left, top, width, height;
    bool lockTop, lockRight, lockBottom;
    Int32 tabIndex;
    const char* caption;   // buttons only
    bool visible;
    Int32 style;           // ButtonStyle of a button, TextAlign of a label
};

constexpr ControlRow kTextRandomWord { "textRandomWord", 49, 14, 303, 22, true, true, false, 0, nullptr, true, 0 };
constexpr ControlRow kPushButtons[] = {
    { "PushButton1", 95, 96, 210, 61, true, true, false, 1, "", false, 6 },
    { "PushButton2", 95, 169, 210, 61, true, true, false, 2, "", false, 6 },
    { "PushButton3", 95, 242, 210, 61, true, true, false, 3, "", false, 6 },
};
constexpr ControlRow kLblResult { "lblResult", 115, 415, 170, 20, true, true, false, 4, nullptr, true, 1 };
constexpr ControlRow kPushOpenFile { "pushOpenFile", 95, 336, 210, 57, false, true, true, 5, "Open Vocabulary File", true, 4 };
constexpr ControlRow kPushKnow { "pushKnow", 95, 48, 210, 61, true, true, false, 6, "I know! I know!", false, 6 };
constexpr ControlRow kLblNumber { "lblNumber", 20, 424, 60, 20, false, false, true, 7, nullptr, true, 0 };

SettingsBatch CommonEntries(const ControlRow& row)
{
    SettingsBatch batch;
    batch.StringEntry("Name", row.name)
        .Int32Entry("Index", INT32_MIN)
        .Int32Entry("Left", row.left)
        .Int32Entry("Top", row.top)
        .Int32Entry("Width", row.width)
        .Int32Entry("Height", row.height)
        .BooleanEntry("LockLeft", true)
        .BooleanEntry("LockTop", row.lockTop)
        .BooleanEntry("LockRight", row.lockRight)
        .BooleanEntry("LockBottom", row.lockBottom)
        .Int32Entry("TabPanelIndex", 0)
        .Int32Entry("TabIndex", row.tabIndex);
    return batch;
}

void FontEntries(SettingsBatch& batch)
{
    batch.StringEntry("TextFont", "System")
        .BooleanEntry("Bold", false)
        .BooleanEntry("Italic", false)
        .BooleanEntry("Underline", false);
}

String PushButtonBatch(const ControlRow& row)
{
    SettingsBatch batch = CommonEntries(row);
    batch.BooleanEntry("TabStop", true)
        .StringEntry("Caption", row.caption)
        .BooleanEntry("Default", false)
        .BooleanEntry("Cancel", false)
        .BooleanEntry("Enabled", true)
        .BooleanEntry("Visible", row.visible)
        .StringEntry("HelpTag", "")
        .BooleanEntry("AutoDeactivate", true)
        .Int32Entry("ButtonStyle", row.style);
    FontEntries(batch);
    batch.StringEntry("InitialParent", "");
    return batch.Build();
}

String LabelBatch(const ControlRow& row)
{
    SettingsBatch batch = CommonEntries(row);
    batch.StringEntry("Text", "")
        .Int32Entry("TextAlign", row.style)
        .ColourEntry("TextColor", kBlack)
        .BooleanEntry("Multiline", false)
        .BooleanEntry("Enabled", true)
        .BooleanEntry("Visible", row.visible)
        .BooleanEntry("Selectable", false)
        .BooleanEntry("Transparent", false)
        .StringEntry("HelpTag", "")
        .BooleanEntry("AutoDeactivate", true);
    FontEntries(batch);
    batch.StringEntry("DataSource", "").StringEntry("DataField", "").StringEntry("InitialParent", "");
    return batch.Build();
}

} // namespace

String VeltoWindowSettings()
{
    return SettingsBatch()
        .Int32Entry("Placement", 2)
        .Int32Entry("Width", 400)
        .Int32Entry("Height", 464)
        .Int32Entry("MinWidth", 400)
        .Int32Entry("MinHeight", 300)
        .Int32Entry("MaxWidth", 32000)
        .Int32Entry("MaxHeight", 32000)
        .Int32Entry("Frame", 0)
        .BooleanEntry("Composite", false)
        .BooleanEntry("HasBackColor", false)
        .ColourEntry("BackColor", kWhite)
        .StringEntry("Title", "Velto Vocabulary")
        .BooleanEntry("Visible", true)
        .BooleanEntry("FullScreen", false)
        .BooleanEntry("MenuBarVisible", true)
        .BooleanEntry("CloseButton", true)
        .BooleanEntry("Resizeable", false)
        .BooleanEntry("LiveResize", true)
        .BooleanEntry("MaximizeButton", false)
        .BooleanEntry("MinimizeButton", true)
        .Int32Entry("MacProcID", 0)
        .Build();
}

String TextRandomWordSettings()
{
    SettingsBatch batch = CommonEntries(kTextRandomWord);
    batch.BooleanEntry("TabStop", true)
        .BooleanEntry("Border", true)
        .BooleanEntry("Password", false)
        .BooleanEntry("UseFocusRing", true)
        .ColourEntry("TextColor", kBlack)
        .ColourEntry("BackColor", kWhite)
        .BooleanEntry("Enabled", true)
        .StringEntry("Format", "")
        .BooleanEntry("Visible", kTextRandomWord.visible)
        .StringEntry("HelpTag", "")
        .BooleanEntry("AutoDeactivate", true);
    FontEntries(batch);
    batch.StringEntry("CueText", "")
        .StringEntry("Text", "")
        .StringEntry("Mask", "")
        .BooleanEntry("ReadOnly", true)
        .Int32Entry("LimitText", 0)
        .BooleanEntry("AcceptTabs", false)
        .Int32Entry("Alignment", 2)
        .BooleanEntry("AutomaticallyCheckSpelling", false)
        .StringEntry("DataSource", "")
        .StringEntry("DataField", "");
    return batch.Build();
}

String PushButtonSettings(Int32 number) { return PushButtonBatch(kPushButtons[number - 1]); }
String PushOpenFileSettings() { return PushButtonBatch(kPushOpenFile); }
String PushKnowSettings() { return PushButtonBatch(kPushKnow); }
String LblResultSettings() { return LabelBatch(kLblResult); }
String LblNumberSettings() { return LabelBatch(kLblNumber); }
