#include "platform/qt_dialogs.h"

#include <gtest/gtest.h>

TEST(FileFilters, EachFilterNamesItsPatternsOnce)
{
    EXPECT_EQ(nameFilters("Файлы (*.spb)|*.spb|Все файлы(*.*)|*.*|"),
        QStringList({ "Файлы (*.spb)", "Все файлы (*.*)" }));
    EXPECT_EQ(nameFilters("Файлы (*.xlsx;*.xls)|*.xlsx;*.xls|Все файлы(*.*)|*.*|"),
        QStringList({ "Файлы (*.xlsx *.xls)", "Все файлы (*.*)" }));
    EXPECT_EQ(nameFilters("Таблицы|*.xlsx;*.xls|"), QStringList({ "Таблицы (*.xlsx *.xls)" }));
}
