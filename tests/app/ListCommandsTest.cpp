// The file list's commands on the real main window: adding files through the
// Open File dialog, the menus, removing, moving and checking rows, the list's
// own clicks and keys, and the pictures the buttons put back.
#include "ListTestWindow.h"

#include "HoverStatic.h"

#include <QStyle>
#include <QStyleOptionViewItem>

namespace {

using ListCommandsTest = ListWindowTest;

TEST_F(ListCommandsTest, TheListStartsEmptyWithThreeColumnsSortedByFileName) {
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
}

TEST_F(ListCommandsTest, SeveralFilesOfOneChoiceStandInReverseOrderUncheckedWithEmptyStatus) {
    const QStringList chosen = {MakeFile("first.mp3"), MakeFile("second.mp3"),
                                MakeFile("third.mp3")};
    AddFiles(chosen);
    EXPECT_EQ(Names(), QStringList({"third.mp3", "second.mp3", "first.mp3"}));
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(m_list->GetItemText(row, CSoundListCtrl::COLUMN_FOLDER), Music());
        EXPECT_EQ(m_list->GetItemText(row, CSoundListCtrl::COLUMN_STATUS), "");
        EXPECT_FALSE(m_list->GetCheck(row));
    }
    EXPECT_EQ(m_list->GetSelectedRow(), -1);

    // A second choice goes below the rows there, the same file again included.
    AddFiles({chosen[0]});
    EXPECT_EQ(Names(), QStringList({"third.mp3", "second.mp3", "first.mp3", "first.mp3"}));
    EXPECT_EQ(m_list->GetFullPath(3), chosen[0]);
}

TEST_F(ListCommandsTest, ASingleFileSplitsIntoNameAndFolderWithoutTrailingSeparator) {
    AddFiles({MakeFile("x.mp3")});
    ASSERT_EQ(m_list->GetItemCount(), 1);
    EXPECT_EQ(m_list->GetItemText(0, CSoundListCtrl::COLUMN_NAME), "x.mp3");
    EXPECT_EQ(m_list->GetItemText(0, CSoundListCtrl::COLUMN_FOLDER), Music());
    EXPECT_FALSE(m_list->GetItemText(0, CSoundListCtrl::COLUMN_FOLDER).endsWith('/'));

    // A file in the root keeps "/" as its folder and one separator in its path.
    AddFiles({"/root.mp3"});
    EXPECT_EQ(m_list->GetItemText(1, CSoundListCtrl::COLUMN_FOLDER), "/");
    EXPECT_EQ(m_list->GetFullPath(1), "/root.mp3");
}

TEST_F(ListCommandsTest, TheDialogOffersTheDirectionsFilterAndCancelAddsNothing) {
    FilePickerSeam::SetNextCancel();
    Click(IDC_ADD_FILES);
    ASSERT_TRUE(FilePickerSeam::LastRequest());
    EXPECT_EQ(FilePickerSeam::LastRequest()->title, "Open File");
    EXPECT_EQ(FilePickerSeam::LastRequest()->filterText, "*.mp3(Mp3 File)");
    EXPECT_EQ(FilePickerSeam::LastRequest()->pattern, "*.mp3");
    EXPECT_EQ(m_list->GetItemCount(), 0);

    Click(IDC_WAVETOMP3);
    FilePickerSeam::SetNextCancel();
    Click(IDC_ADD_FILES);
    EXPECT_EQ(FilePickerSeam::LastRequest()->filterText, "*.wav(Media File)");
    EXPECT_EQ(FilePickerSeam::LastRequest()->pattern, "*.wav");
    EXPECT_EQ(m_list->GetItemCount(), 0);
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
        EXPECT_EQ(Names(), QStringList({"a.mp3", "b.mp3", "c.mp3"})) << c.button;
        EXPECT_EQ(m_list->GetSelectedRow(), c.selected) << c.button;
    }
    // Without a selection nothing moves either.
    m_list->SetSelectedRow(-1);
    for (int button : {IDC_MOVE_UP, IDC_MOVE_DOWN, IDC_MOVE_TOP, IDC_MOVE_BOTTOM})
        Click(button);
    EXPECT_EQ(Names(), QStringList({"a.mp3", "b.mp3", "c.mp3"}));
    EXPECT_EQ(m_list->GetSelectedRow(), -1);
}

TEST_F(ListCommandsTest, AMovedRowTakesItsCheckWhileTheStatusStaysOnItsPlace) {
    AddRows(3);
    m_list->SetCheck(0, true);
    m_list->SetItemText(0, CSoundListCtrl::COLUMN_STATUS, "Success");
    m_list->SetSelectedRow(0);
    Click(IDC_MOVE_DOWN);
    EXPECT_EQ(Names(), QStringList({"b.mp3", "a.mp3", "c.mp3"}));
    EXPECT_EQ(Checks(), QList<bool>({false, true, false}));
    EXPECT_EQ(m_list->GetItemText(0, CSoundListCtrl::COLUMN_STATUS), "Success");
    EXPECT_EQ(m_list->GetItemText(1, CSoundListCtrl::COLUMN_STATUS), "");
    EXPECT_EQ(m_list->GetSelectedRow(), 1);
    // The folder went with the name.
    EXPECT_EQ(m_list->GetFullPath(1), Music() + "/a.mp3");
}

TEST_F(ListCommandsTest, TopAndBottomShiftEveryRowBetween) {
    AddRows(4);
    m_list->SetSelectedRow(2);
    Click(IDC_MOVE_TOP);
    EXPECT_EQ(Names(), QStringList({"c.mp3", "a.mp3", "b.mp3", "d.mp3"}));
    EXPECT_EQ(m_list->GetSelectedRow(), 0);
    m_list->SetSelectedRow(1);
    Click(IDC_MOVE_BOTTOM);
    EXPECT_EQ(Names(), QStringList({"c.mp3", "b.mp3", "d.mp3", "a.mp3"}));
    EXPECT_EQ(m_list->GetSelectedRow(), 3);
    Click(IDC_MOVE_UP);
    EXPECT_EQ(Names(), QStringList({"c.mp3", "b.mp3", "a.mp3", "d.mp3"}));
    EXPECT_EQ(m_list->GetSelectedRow(), 2);
}

TEST_F(ListCommandsTest, CheckCommandsSetClearAndReverseEveryRow) {
    AddRows(3);
    m_list->SetCheck(1, true);
    Click(IDC_REVERSE_CHECKS);
    EXPECT_EQ(Checks(), QList<bool>({true, false, true}));
    Click(IDC_CHECK_ALL);
    EXPECT_EQ(Checks(), QList<bool>({true, true, true}));
    Click(IDC_UNCHECK_ALL);
    EXPECT_EQ(Checks(), QList<bool>({false, false, false}));
}

TEST_F(ListCommandsTest, ClearMenuOffersItsTwoEntriesAndRemovesRows) {
    AddRows(4);
    Click(IDC_CLEAR_LIST);
    QMenu* menu = OpenMenu(IDR_CLEAR_MENU);
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << action->text();
    EXPECT_EQ(texts, QStringList({"Clear all items", "Clear checked item"}));

    // With none checked nothing goes.
    Choose(IDR_CLEAR_MENU, "Clear checked item");
    EXPECT_EQ(m_list->GetItemCount(), 4);

    m_list->SetCheck(1, true);
    m_list->SetCheck(3, true);
    Click(IDC_CLEAR_LIST);
    Choose(IDR_CLEAR_MENU, "Clear checked item");
    EXPECT_EQ(Names(), QStringList({"a.mp3", "c.mp3"}));

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
    QMenu* menu = OpenMenu(IDR_ROW_MENU);
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << (action->isSeparator() ? "-" : action->text());
    EXPECT_EQ(texts, QStringList({"&Up", "&Down", "-", "&Rename File", "&Delete Item", "-", "&Play",
                                  "&Stop"}));
    for (QAction* action : menu->actions())
        EXPECT_TRUE(action->isEnabled() && !action->isCheckable());

    Choose(IDR_ROW_MENU, "&Up");
    EXPECT_EQ(Names(), QStringList({"b.mp3", "a.mp3"}));
    RightClickRow(0);
    Choose(IDR_ROW_MENU, "&Down");
    EXPECT_EQ(Names(), QStringList({"a.mp3", "b.mp3"}));
    EXPECT_EQ(m_list->GetSelectedRow(), 1);
}

TEST_F(ListCommandsTest, RightClickWithoutASelectedRowShowsNoMenu) {
    AddRows(1);
    QTest::mouseClick(m_list->viewport(), Qt::RightButton, {},
                      QPoint(10, m_list->viewport()->height() - 5));
    EXPECT_EQ(m_list->GetSelectedRow(), -1);
    EXPECT_EQ(OpenMenu(IDR_ROW_MENU), nullptr);
}

TEST_F(ListCommandsTest, DeleteItemLeavesNoRowSelected) {
    AddRows(3);
    RightClickRow(1);
    Choose(IDR_ROW_MENU, "&Delete Item");
    EXPECT_EQ(Names(), QStringList({"a.mp3", "c.mp3"}));
    EXPECT_EQ(m_list->GetSelectedRow(), -1);
}

TEST_F(ListCommandsTest, DeleteKeySelectsTheRowThatTakesThePlaceOrTheNewLast) {
    AddRows(3);
    m_list->SetSelectedRow(2);
    QTest::keyClick(m_list, Qt::Key_Delete);
    EXPECT_EQ(Names(), QStringList({"a.mp3", "b.mp3"}));
    EXPECT_EQ(m_list->GetSelectedRow(), 1);

    m_list->SetSelectedRow(0);
    QTest::keyClick(m_list, Qt::Key_Delete);
    EXPECT_EQ(Names(), QStringList({"b.mp3"}));
    EXPECT_EQ(m_list->GetSelectedRow(), 0);

    QTest::keyClick(m_list, Qt::Key_Delete);
    EXPECT_EQ(m_list->GetItemCount(), 0);
    EXPECT_EQ(m_list->GetSelectedRow(), -1);

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
