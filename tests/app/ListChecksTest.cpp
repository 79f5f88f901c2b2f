// The list's check marks on the real main window, set as a person sets them:
// a click on a row's check box, or Space on the current row.
#include "MainWindowFixture.h"

#include <QStyle>
#include <QStyleOptionViewItem>

namespace {

class ListChecksTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        if (HasFatalFailure())
            return;
        OpenWindow();
        for (const char* name : {"a.mp3", "b.mp3"})
            m_list->InsertFile(m_list->GetItemCount(), name, Music());
    }

    QList<bool> Checks() const {
        QList<bool> checks;
        for (int row = 0; row < m_list->GetItemCount(); ++row)
            checks << m_list->GetCheck(row);
        return checks;
    }

    QPoint CheckBoxOf(int row) const {
        QStyleOptionViewItem option;
        option.initFrom(m_list->viewport());
        option.rect = m_list->visualRect(m_list->model()->index(row, 0));
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        return m_list->style()
            ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, m_list)
            .center();
    }

    void ClickAt(QPoint place) { QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, place); }
};

TEST_F(ListChecksTest, AClickOnACheckBoxOrSpaceTogglesItsRowOnce) {
    ClickAt(CheckBoxOf(1));
    EXPECT_EQ(Checks(), QList<bool>({false, true}));
    EXPECT_EQ(m_list->GetSelectedRow(), 1);
    ClickAt(CheckBoxOf(1));
    EXPECT_EQ(Checks(), QList<bool>({false, false}));

    // A click elsewhere on a row selects it without touching its mark.
    ClickAt(m_list->visualRect(m_list->model()->index(0, 1)).center());
    EXPECT_EQ(Checks(), QList<bool>({false, false}));
    EXPECT_EQ(m_list->GetSelectedRow(), 0);

    QTest::keyClick(m_list, Qt::Key_Space);
    EXPECT_EQ(Checks(), QList<bool>({true, false}));
    QTest::keyClick(m_list, Qt::Key_Space);
    EXPECT_EQ(Checks(), QList<bool>({false, false}));
}

} // namespace
