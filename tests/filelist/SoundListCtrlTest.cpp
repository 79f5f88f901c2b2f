// The sound list on its own: sorting reads the rows' records.
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

    std::unique_ptr<CSoundListCtrl> m_list;
};

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

} // namespace
