// What a screen reader finds in Brindle's windows through Qt's accessibility
// layer (the interfaces its AT-SPI bridge serves): every control a person can
// act on has a role and a name, and a skinned button's press action runs its
// command as one click does.
#include "AboutDialog.h"
#include "BatchTestWindow.h"
#include "FolderPicker.h"
#include "OptionsDialog.h"
#include "PlayerDialog.h"
#include "RenameDialog.h"
#include "Strings.h"

#include <QAccessible>
#include <QLabel>

namespace {

QAccessibleInterface* Accessible(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

QString NameOf(QObject* object) {
    return Accessible(object)->text(QAccessible::Name);
}

bool OwnsItems(QAccessible::Role role) {
    return role == QAccessible::List || role == QAccessible::Tree || role == QAccessible::Table ||
           role == QAccessible::ComboBox;
}

bool Actionable(QAccessibleInterface* control) {
    switch (control->role()) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
        return true;
    default:
        return OwnsItems(control->role()) || control->state().focusable;
    }
}

// The visible controls below `parent` that a person can act on and that have
// no name, each as the path of class names and ids that leads to it. Items
// of lists and boxes are their views' business.
void CollectUnnamed(QAccessibleInterface* parent, const QString& path, QStringList& unnamed) {
    for (int i = 0; i < parent->childCount(); ++i) {
        QAccessibleInterface* child = parent->child(i);
        if (!child || child->state().invisible)
            continue;
        QObject* object = child->object();
        const QString where =
            path + "/" +
            (object ? QString("%1#%2").arg(object->metaObject()->className(), object->objectName())
                    : QString("?"));
        if (Actionable(child) && child->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << where;
        if (!OwnsItems(child->role()))
            CollectUnnamed(child, where, unnamed);
    }
}

// Those controls of `window`, one a line; empty when every one has a name.
std::string UnnamedControls(QWidget* window) {
    QStringList unnamed;
    CollectUnnamed(Accessible(window), window->metaObject()->className(), unnamed);
    return unnamed.join("\n").toStdString();
}

class AccessibleMainWindowTest : public BatchWindowTest {
protected:
    void Press(int id) {
        QAccessibleInterface* button = Accessible(Control(id));
        ASSERT_NE(button->actionInterface(), nullptr) << id;
        button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }

    bool Checked(int id) { return Accessible(Control(id))->state().checked; }
};

TEST_F(AccessibleMainWindowTest, EveryPictureButtonIsAPushButtonNamedByItsToolTip) {
    OpenWindow();
    const auto buttons = m_dialog->findChildren<CHoverStatic*>();
    ASSERT_EQ(buttons.size(), 18);
    for (CHoverStatic* button : buttons) {
        const int id = button->Id();
        QAccessibleInterface* control = Accessible(button);
        EXPECT_EQ(control->role(), QAccessible::Button) << id;
        EXPECT_EQ(control->text(QAccessible::Name), LoadString(id)) << id;
        EXPECT_FALSE(LoadString(id).isEmpty()) << id;
        ASSERT_NE(control->actionInterface(), nullptr) << id;
        EXPECT_TRUE(control->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()))
            << id;
        const bool direction = id == IDC_MP3TOWAVE || id == IDC_WAVETOMP3;
        EXPECT_EQ(control->state().checkable, direction) << id;
    }
    EXPECT_EQ(NameOf(m_dialog.get()), "Brindle 2.17");
    for (int id : {IDC_FILELIST, IDC_FILE_PROGRESS, IDC_BATCH_PROGRESS})
        EXPECT_FALSE(NameOf(Control(id)).isEmpty()) << id;
    EXPECT_NE(Accessible(Control(IDC_FILE_PROGRESS))->valueInterface(), nullptr);
}

// Outside a tool-tip dialog a button is named by the caption its picture
// shows; a glyph alone gives no name, which the tool tips always supply.
TEST(AccessibleButtonTest, WithoutToolTipsTheCaptionNamesAButton) {
    const std::pair<int, QString> cases[] = {
        {IDC_START, "Start"}, {IDC_WAVETOMP3, "Wave to MP3"}, {IDC_EXIT, "Exit"}};
    for (const auto& [id, caption] : cases) {
        CHoverStatic button;
        button.Bind(id, CHoverStatic::NormalBitmapOf(id));
        EXPECT_EQ(NameOf(&button), caption) << id;
    }
}

// The direction buttons say which one is checked; Start's action runs one
// batch, and puts the normal picture back first, as a click does.
TEST_F(AccessibleMainWindowTest, PressingStartThroughItsActionRunsOneBatch) {
    OpenWindow();
    EXPECT_TRUE(Checked(IDC_MP3TOWAVE));
    Press(IDC_WAVETOMP3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_dialog->Direction() == WAVE_TO_MP3; }, 5000));
    EXPECT_FALSE(Checked(IDC_MP3TOWAVE));
    EXPECT_TRUE(Checked(IDC_WAVETOMP3));
    AddRow(MakeWave("voice.wav", Tone(1.0, 440)));
    m_dialog->Button(IDC_START)->SetBitmap(IDB_START_HOVER);
    Press(IDC_START);
    ASSERT_TRUE(WaitForStatuses({"Success"}));
    ASSERT_TRUE(WaitForTitleBack());
    EXPECT_EQ(TitlesSeen(), (QStringList{"1  of  1  files", "Brindle 2.17"}));
    EXPECT_EQ(m_dialog->Button(IDC_START)->CurrentBitmap(), IDB_START);
    EXPECT_TRUE(QFile::exists(Music("voice.mp3")));
}

// The list reads each row's cells and check box.
TEST_F(AccessibleMainWindowTest, TheListReadsEachRowsCellsAndCheckBox) {
    OpenWindow();
    AddRow(MakeWave("one.wav"), true);
    AddRow(MakeWave("two.wav"), false);
    m_list->SetItemText(0, CSoundListCtrl::COLUMN_STATUS, "Success");
    QAccessibleTableInterface* table = Accessible(m_list)->tableInterface();
    ASSERT_NE(table, nullptr);
    // The view lays its rows out when its event loop next runs.
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->rowCount() == 2; }, 5000));
    const QStringList headings = {"File Name", "Folder", "Status"};
    const QStringList first = {"one.wav", Music(), "Success"};
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(table->columnDescription(column), headings[column]);
        QAccessibleInterface* cell = table->cellAt(0, column);
        ASSERT_NE(cell, nullptr) << column;
        EXPECT_EQ(cell->text(QAccessible::Name), first[column]) << column;
    }
    ASSERT_NE(table->cellAt(1, 0), nullptr);
    EXPECT_TRUE(table->cellAt(0, 0)->state().checkable);
    EXPECT_TRUE(table->cellAt(0, 0)->state().checked);
    EXPECT_FALSE(table->cellAt(1, 0)->state().checked);
}

class AccessibleWindowsTest : public MainWindowFixture {};

TEST_F(AccessibleWindowsTest, NoControlAPersonCanActOnIsUnnamed) {
    OpenWindow();
    EXPECT_EQ(UnnamedControls(m_dialog.get()), "");

    COptionsDialog options(nullptr, ProgramFolder());
    options.m_options.SetDefaults(m_folder.path());
    ASSERT_TRUE(options.Create());
    options.show();
    EXPECT_EQ(UnnamedControls(&options), "");

    CRenameDialog rename;
    rename.m_strOldName = "song.mp3";
    ASSERT_TRUE(rename.Create());
    rename.show();
    EXPECT_EQ(UnnamedControls(&rename), "");

    CAboutDialog about;
    about.show();
    EXPECT_EQ(UnnamedControls(&about), "");

    FolderPickerWindow picker(nullptr, LoadString(IDS_DIRECTORY_NAME), true);
    picker.show();
    picker.SetSelection(Music());
    EXPECT_EQ(UnnamedControls(&picker), "");
}

// The player's buttons are named by their captions, and its running time
// reads as text.
TEST_F(AccessibleWindowsTest, ThePlayersButtonsAndTimeSpeak) {
    const QString song = Music("tone.mp3");
    ASSERT_TRUE(WriteToneMp3(song, Tone(3.0, 440)));
    CPlayerDialog player;
    player.m_strFileName = "tone.mp3";
    player.m_strFileFolder = Music();
    player.m_strFullPath = song;
    ASSERT_TRUE(player.Create());
    player.show();
    EXPECT_EQ(UnnamedControls(&player), "");
    EXPECT_EQ(NameOf(ChildById(&player, IDC_PLAYER_PLAY)), "Play");
    auto* time = ChildById<QLabel>(&player, IDC_PLAYER_TIME);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !time->text().isEmpty(); }, 5000));
    EXPECT_EQ(Accessible(time)->role(), QAccessible::StaticText);
    EXPECT_EQ(NameOf(time), time->text());
    player.reject();
}

} // namespace
