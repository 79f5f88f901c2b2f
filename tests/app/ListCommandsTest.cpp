// The file list's commands, menus, clicks and keys on the real main window.
#include "ListTestWindow.h"

#include "HoverStatic.h"

#include <QStyle>
#include <QStyleOptionViewItem>

namespace {

class ListCommandsTest : public ListWindowTest {
protected:
    // The entries of the open menu `menuId`, "-" for a separator.
    QStringList MenuTexts(int menuId) const {
        QStringList texts;
        if (QMenu* menu = OpenMenu(menuId))
            for (QAction* action : menu->actions())
                texts << (action->isSeparator() ? "-" : action->text());
        return texts;
    }
    void ExpectRows(const QStringList& names, int selected) {
        EXPECT_EQ(Names(), names);
        EXPECT_EQ(m_list->GetSelectedRow(), selected);
    }
};
using L = QStringList;

TEST_F(ListCommandsTest, StartsEmptyAndAChoiceOfSeveralFilesStandsInReverseOrderUnchecked) {
    EXPECT_EQ(m_list->GetItemCount(), 0);
    QStringList headings;
    for (int column = 0; column < m_list->model()->columnCount(); ++column)
        headings << m_list->model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headings, QStringList({"File Name", "Folder", "Status"}));
    EXPECT_EQ(m_list->header()->sectionSize(0), 150);
    EXPECT_EQ(m_list->header()->sectionSize(1), 200);
    EXPECT_EQ(m_list->header()->sectionSize(2), 100);
    EXPECT_EQ(m_list->SortHeader()->SortColumn(), 0);
    EXPECT_TRUE(m_list->SortHeader()->IsSortAscending());
    EXPECT_EQ(m_list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(m_list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(m_list->textElideMode(), Qt::ElideRight);
    const QStringList chosen = {MakeFile("first.mp3"), MakeFile("second.mp3"),
                                MakeFile("third.mp3")};
    AddFiles(chosen);
    ExpectRows({"third.mp3", "second.mp3", "first.mp3"}, -1);
    EXPECT_EQ(Column(CSoundListCtrl::COLUMN_FOLDER), L(3, Music()));
    EXPECT_EQ(Column(CSoundListCtrl::COLUMN_STATUS), L(3, ""));
    EXPECT_EQ(Checks(), QList<bool>(3, false));
    // A second choice goes below, the same file again included.
    AddFiles({chosen[0]});
    EXPECT_EQ(Names(), QStringList({"third.mp3", "second.mp3", "first.mp3", "first.mp3"}));
    EXPECT_EQ(m_list->GetFullPath(3), chosen[0]);
}

TEST_F(ListCommandsTest, ASingleFileSplitsIntoNameAndFolderWithoutTrailingSeparator) {
    AddFiles({MakeFile("x.mp3")});
    EXPECT_EQ(Names(), L{"x.mp3"});
    EXPECT_FALSE(Music().endsWith('/'));
    EXPECT_EQ(Column(CSoundListCtrl::COLUMN_FOLDER), L{Music()});
    // A file in the root keeps "/" as its folder and one separator in its path.
    AddFiles({"/root.mp3"});
    EXPECT_EQ(Column(CSoundListCtrl::COLUMN_FOLDER), (L{Music(), "/"}));
    EXPECT_EQ(m_list->GetFullPath(1), "/root.mp3");
}

TEST_F(ListCommandsTest, TheDialogOffersTheDirectionsFilterAndCancelAddsNothing) {
    FilePickerSeam::SetNextCancel();
    Click(IDC_ADD_FILES);
    for (const auto& [filter, pattern] :
         {std::pair{"*.mp3(Mp3 File)", "*.mp3"}, std::pair{"*.wav(Media File)", "*.wav"}}) {
        const auto request = FilePickerSeam::LastRequest();
        ASSERT_TRUE(request);
        EXPECT_EQ(request->title, "Open File");
        EXPECT_EQ(request->filterText, filter);
        EXPECT_EQ(request->pattern, pattern);
        EXPECT_EQ(m_list->GetItemCount(), 0);
        Click(IDC_WAVETOMP3);
        FilePickerSeam::SetNextCancel();
        Click(IDC_ADD_FILES);
    }
}

TEST_F(ListCommandsTest, MovesAtTheEndsChangeNothingNotEvenTheSelection) {
    AddRows(3);
    struct Case {
        int selected;
        int button;
    };
    for (const Case& c : {Case{0, IDC_MOVE_UP}, Case{0, IDC_MOVE_TOP}, Case{2, IDC_MOVE_DOWN},
                          Case{2, IDC_MOVE_BOTTOM}}) {
        m_list->SetSelectedRow(c.selected);
        Click(c.button);
        SCOPED_TRACE(c.button);
        ExpectRows({"a.mp3", "b.mp3", "c.mp3"}, c.selected);
    }
    m_list->SetSelectedRow(-1);
    for (int button : {IDC_MOVE_UP, IDC_MOVE_DOWN, IDC_MOVE_TOP, IDC_MOVE_BOTTOM})
        Click(button);
    ExpectRows({"a.mp3", "b.mp3", "c.mp3"}, -1);
}

TEST_F(ListCommandsTest, AMovedRowTakesItsCheckWhileTheStatusStaysOnItsPlace) {
    AddRows(3);
    m_list->SetCheck(0, true);
    m_list->SetItemText(0, CSoundListCtrl::COLUMN_STATUS, "Success");
    m_list->SetSelectedRow(0);
    Click(IDC_MOVE_DOWN);
    ExpectRows({"b.mp3", "a.mp3", "c.mp3"}, 1);
    EXPECT_EQ(Checks(), QList<bool>({false, true, false}));
    EXPECT_EQ(Column(CSoundListCtrl::COLUMN_STATUS), (L{"Success", "", ""}));
    EXPECT_EQ(m_list->GetFullPath(1), Music() + "/a.mp3");
}

TEST_F(ListCommandsTest, TopAndBottomShiftEveryRowBetween) {
    AddRows(4);
    m_list->SetSelectedRow(2);
    Click(IDC_MOVE_TOP);
    ExpectRows({"c.mp3", "a.mp3", "b.mp3", "d.mp3"}, 0);
    m_list->SetSelectedRow(1);
    Click(IDC_MOVE_BOTTOM);
    ExpectRows({"c.mp3", "b.mp3", "d.mp3", "a.mp3"}, 3);
    Click(IDC_MOVE_UP);
    ExpectRows({"c.mp3", "b.mp3", "a.mp3", "d.mp3"}, 2);
}

TEST_F(ListCommandsTest, CheckCommandsSetClearAndReverseEveryRow) {
    AddRows(3);
    m_list->SetCheck(1, true);
    Click(IDC_REVERSE_CHECKS);
    EXPECT_EQ(Checks(), QList<bool>({true, false, true}));
    Click(IDC_CHECK_ALL);
    EXPECT_EQ(Checks(), QList<bool>(3, true));
    Click(IDC_UNCHECK_ALL);
    EXPECT_EQ(Checks(), QList<bool>(3, false));
}

TEST_F(ListCommandsTest, ClearMenuOffersItsTwoEntriesAndRemovesRows) {
    AddRows(4);
    Click(IDC_CLEAR_LIST);
    ASSERT_EQ(MenuTexts(IDR_CLEAR_MENU), L({"Clear all items", "Clear checked item"}));
    // With none checked nothing goes.
    Choose(IDR_CLEAR_MENU, "Clear checked item");
    EXPECT_EQ(m_list->GetItemCount(), 4);

    m_list->SetCheck(1, true);
    m_list->SetCheck(3, true);
    Click(IDC_CLEAR_LIST);
    Choose(IDR_CLEAR_MENU, "Clear checked item");
    EXPECT_EQ(Names(), L({"a.mp3", "c.mp3"}));
    Click(IDC_CHECK_ALL);
    Click(IDC_CLEAR_LIST);
    Choose(IDR_CLEAR_MENU, "Clear checked item");
    EXPECT_EQ(m_list->GetItemCount(), 0);
    // The menu opens on an empty list too, and Clear all empties a full one.
    Click(IDC_CLEAR_LIST);
    EXPECT_NE(OpenMenu(IDR_CLEAR_MENU), nullptr);
    Choose(IDR_CLEAR_MENU, "Clear all items");
    AddRows(2);
    Click(IDC_CLEAR_LIST);
    Choose(IDR_CLEAR_MENU, "Clear all items");
    EXPECT_EQ(m_list->GetItemCount(), 0);
}

TEST_F(ListCommandsTest, RightClickOnARowOpensTheRowMenuWithItsEntriesAndSeparators) {
    AddRows(2);
    RightClickRow(1);
    EXPECT_EQ(m_list->GetSelectedRow(), 1);
    ASSERT_EQ(MenuTexts(IDR_ROW_MENU),
              L({"&Up", "&Down", "-", "&Rename File", "&Delete Item", "-", "&Play", "&Stop"}));
    for (QAction* action : OpenMenu(IDR_ROW_MENU)->actions())
        EXPECT_TRUE(action->isEnabled() && !action->isCheckable());
    Choose(IDR_ROW_MENU, "&Up");
    EXPECT_EQ(Names(), L({"b.mp3", "a.mp3"}));
    RightClickRow(0);
    Choose(IDR_ROW_MENU, "&Down");
    ExpectRows({"a.mp3", "b.mp3"}, 1);
}

TEST_F(ListCommandsTest, RightClickOffTheRowsShowsNoMenuAndDeleteItemLeavesNoRowSelected) {
    AddRows(3);
    QTest::mouseClick(m_list->viewport(), Qt::RightButton, {},
                      QPoint(10, m_list->viewport()->height() - 5));
    EXPECT_EQ(m_list->GetSelectedRow(), -1);
    EXPECT_EQ(OpenMenu(IDR_ROW_MENU), nullptr);
    RightClickRow(1);
    Choose(IDR_ROW_MENU, "&Delete Item");
    ExpectRows({"a.mp3", "c.mp3"}, -1);
}

TEST_F(ListCommandsTest, DeleteKeySelectsTheRowThatTakesThePlaceOrTheNewLast) {
    AddRows(3);
    m_list->SetSelectedRow(2);
    QTest::keyClick(m_list, Qt::Key_Delete);
    ExpectRows({"a.mp3", "b.mp3"}, 1);
    m_list->SetSelectedRow(0);
    QTest::keyClick(m_list, Qt::Key_Delete);
    ExpectRows({"b.mp3"}, 0);
    QTest::keyClick(m_list, Qt::Key_Delete);
    ExpectRows({}, -1);
    // Other keys remove nothing.
    AddRows(1);
    m_list->SetSelectedRow(0);
    QTest::keyClick(m_list, Qt::Key_Backspace);
    EXPECT_EQ(m_list->GetItemCount(), 1);
}

TEST_F(ListCommandsTest, AClickOnACheckBoxTogglesItsRowOnce) {
    AddRows(2);
    QStyleOptionViewItem option;
    option.initFrom(m_list->viewport());
    option.rect = m_list->visualRect(m_list->model()->index(1, 0));
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QPoint box = m_list->style()
                           ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, m_list)
                           .center();
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, box);
    EXPECT_EQ(Checks(), QList<bool>({false, true}));
    EXPECT_EQ(m_list->GetSelectedRow(), 1);
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, box, 500);
    EXPECT_EQ(Checks(), QList<bool>({false, false}));
    // A click elsewhere on the row selects it without touching the check.
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, RowCentre(0), 500);
    EXPECT_EQ(Checks(), QList<bool>({false, false}));
    EXPECT_EQ(m_list->GetSelectedRow(), 0);
}

TEST_F(ListCommandsTest, ButtonsPutTheirNormalPictureBack) {
    const struct {
        int id;
        int normal;
    } buttons[] = {{IDC_MOVE_TOP, 141},    {IDC_MOVE_UP, 142},   {IDC_MOVE_DOWN, 135},
                   {IDC_MOVE_BOTTOM, 140}, {IDC_ADD_FILES, 156}, {IDC_CLEAR_LIST, 157}};
    for (const auto& button : buttons) {
        CHoverStatic* control = m_dialog->Button(button.id);
        control->SetBitmap(CHoverStatic::HoverBitmapOf(button.id));
        ASSERT_NE(control->CurrentBitmap(), button.normal);
        FilePickerSeam::SetNextCancel();
        Click(button.id);
        EXPECT_EQ(control->CurrentBitmap(), button.normal) << button.id;
        if (QMenu* menu = OpenMenu(IDR_CLEAR_MENU))
            menu->hide();
    }
}

} // namespace
