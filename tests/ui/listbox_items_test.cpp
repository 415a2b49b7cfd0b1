// The list box packs its items' texts (one byte a character where they fit in Latin-1,
// two otherwise); every way in must give the exact text back.

#include "ui/listbox.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

namespace {

QStringList Items(const ui::ListBox& list) {
  QStringList all;
  for (int i = 0; i < list.ListCount(); ++i) all << list.List(i);
  return all;
}

// One of each kind of text the store tells apart.
const QStringList kTexts = {
    QStringLiteral("$pref::Player::name = \"Rook\";"),
    QString::fromLatin1("caf\xE9 \x80\x81\x9F \xFF"),          // Latin-1, C1 controls included
    QStringLiteral("price \u20AC 5 \u2122"),                   // above Latin-1
    QString::fromUtf16(u"pair \U0001F600 end"),                 // a surrogate pair
    QString::fromUtf16(u"lone \xD800 high"),                    // a lone surrogate
    QString(),                                                  // empty
    QString(3000000, QChar(u'x')),                              // larger than a block
    QString(700000, QChar(0x20AC)),
};

TEST(ListBoxItems, everyKindOfTextComesBackExactly_throughEveryWayIn) {
  ui::ListBox list(nullptr);
  list.AddItems(std::vector<QString>(kTexts.begin(), kTexts.end()));
  const QByteArray latin1 = kTexts[1].toLatin1();
  const std::vector<QAnyStringView> views = {QLatin1StringView(latin1), QStringView(kTexts[2]),
                                             QStringView(kTexts[4])};
  list.AddItems(views);
  list.AddItem(kTexts[3], 1);
  list.AddItem(kTexts[7], 0);

  QStringList expected = kTexts;
  expected << kTexts[1] << kTexts[2] << kTexts[4];
  expected.insert(1, kTexts[3]);
  expected.insert(0, kTexts[7]);
  ASSERT_EQ(Items(list), expected);
  for (int i = 0; i < list.ListCount(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(list.ItemView(i).toString(), expected[i]);
    EXPECT_EQ(list.model()->index(i, 0).data().toString(),
              expected[i].left(ui::ListModel::kShownCharacters));
  }
}

// Guards the reuse of the space that removed items leave behind: a long editing session
// replaces lines many times over, and every other line must stay as it was.
TEST(ListBoxItems, manyReplacements_keepEveryItemAndItsPlace) {
  ui::ListBox list(nullptr);
  QStringList expected;
  for (int i = 0; i < 500; ++i)
    expected << QStringLiteral("$pref::Line::n%1 = \"%2\";").arg(i).arg(QString(100, QChar(u'a' + i % 26)));
  list.AddItems(std::vector<QString>(expected.begin(), expected.end()));

  for (int round = 0; round < 60000; ++round) {
    const int row = (round * 7919) % 500;
    // Every third line goes in as text above Latin-1, the others as Latin-1.
    const QString line = QStringLiteral("$pref::Edit::r%1 = %2;").arg(round).arg(
        round % 3 == 0 ? QStringLiteral("\u20AC") : QString(60, QChar(u'b')));
    list.SetListIndex(row);
    list.AddItem(line, row);
    list.RemoveItem(list.ListIndex());
    expected[row] = line;
    if (round % 50 == 0) {
      ASSERT_EQ(Items(list), expected) << "after round " << round;
    }
  }
  EXPECT_EQ(Items(list), expected);

  list.Clear();
  EXPECT_EQ(list.ListCount(), 0);
  list.AddItem(kTexts[2]);
  EXPECT_EQ(Items(list), QStringList{kTexts[2]});
}

}  // namespace
