// The sound list on its own: sorting by records and by heading clicks, and the
// selection and check marks following their rows.
#include "SoundListCtrl.h"

#include <QTest>
#include <gtest/gtest.h>

#include <tuple>

namespace {

class SoundListTest : public testing::Test {
protected:
    void SetUp() override {
        m_list = std::make_unique<CSoundListCtrl>();
        for (const auto& [column, heading, width] :
             {std::tuple{0, "File Name", 150}, {1, "Folder", 200}, {2, "Status", 100}})
            m_list->InsertColumn(column, heading, width);
        m_list->EnableFullRowSelect(true);
        m_list->SortByColumn(0, true);
        m_list->resize(500, 300);
        m_list->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_list.get()));
    }

    // Appends a row with a record for each name and folder.
    void Add(std::initializer_list<std::pair<const char*, const char*>> files) {
        for (const auto& [name, folder] : files)
            m_list->InsertItem(m_list->GetItemCount(),
                               std::make_unique<CSoundFileItem>(name, folder));
    }
    QStringList Column(int column) const {
        QStringList texts;
        for (int row = 0; row < m_list->GetItemCount(); ++row)
            texts << m_list->GetItemText(row, column);
        return texts;
    }

    void ClickHeading(int column) {
        QHeaderView* header = m_list->header();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 20, header->height() / 2));
    }

    std::unique_ptr<CSoundListCtrl> m_list;
};

TEST_F(SoundListTest, HeadingClicksSortNewColumnsAscendingThenReverse) {
    Add({{"b.mp3", "/y"}, {"c.mp3", "/x"}, {"a.mp3", "/z"}});
    m_list->SetSelectedRow(1); // c.mp3

    ClickHeading(1);
    EXPECT_EQ(Column(1), QStringList({"/x", "/y", "/z"}));
    EXPECT_EQ(m_list->SortHeader()->SortColumn(), 1);
    EXPECT_TRUE(m_list->SortHeader()->IsSortAscending());
    EXPECT_EQ(m_list->GetItemText(m_list->GetSelectedRow(), 0), "c.mp3");

    ClickHeading(1);
    EXPECT_EQ(Column(1), QStringList({"/z", "/y", "/x"}));
    EXPECT_FALSE(m_list->SortHeader()->IsSortAscending());

    ClickHeading(0);
    EXPECT_EQ(Column(0), QStringList({"a.mp3", "b.mp3", "c.mp3"}));
    EXPECT_EQ(m_list->SortHeader()->SortColumn(), 0);
    EXPECT_TRUE(m_list->SortHeader()->IsSortAscending());
    EXPECT_EQ(m_list->GetItemText(m_list->GetSelectedRow(), 0), "c.mp3");
}

TEST_F(SoundListTest, SortingReadsRecordsIgnoresCaseAndKeepsEqualRowsInOrder) {
    Add({{"b.mp3", "/1"}, {"B.MP3", "/2"}, {"a.mp3", "/3"}, {"b.Mp3", "/4"}});
    m_list->SetItemText(2, 0, "z.mp3"); // a written cell does not change the order
    m_list->SortByColumn(0, true);
    EXPECT_EQ(Column(1), QStringList({"/3", "/1", "/2", "/4"}));
    m_list->SortByColumn(0, false);
    EXPECT_EQ(Column(1), QStringList({"/1", "/2", "/4", "/3"}));
    // Every status record is empty, so a status sort keeps the order.
    m_list->SortByColumn(2, true);
    EXPECT_EQ(Column(1), QStringList({"/1", "/2", "/4", "/3"}));
    EXPECT_EQ(Column(0), QStringList({"b.mp3", "B.MP3", "b.Mp3", "z.mp3"}));
}

TEST_F(SoundListTest, ChecksAreKeptPerRowAndSetForAllAtOnce) {
    Add({{"a.mp3", "/m"}, {"b.mp3", "/m"}});
    EXPECT_FALSE(m_list->GetCheck(0));
    EXPECT_TRUE(m_list->SetCheck(1, true));
    EXPECT_EQ(m_list->model()->data(m_list->model()->index(1, 0), Qt::CheckStateRole).toInt(),
              Qt::Checked);
    m_list->SortByColumn(0, false);
    EXPECT_TRUE(m_list->GetCheck(0));
    EXPECT_FALSE(m_list->GetCheck(1));
    m_list->SetCheckAll(true);
    EXPECT_TRUE(m_list->GetCheck(0) && m_list->GetCheck(1));
    EXPECT_FALSE(m_list->SetCheck(2, true));
}

} // namespace
