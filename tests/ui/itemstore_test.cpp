// The list's items are packed (one byte a character where they fit in Latin-1, two
// otherwise); every way in must give the exact text back, in its place.

#include "ui/itemstore.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

QStringList Texts(const ui::ItemStore& store) {
  QStringList all;
  for (int i = 0; i < store.size(); ++i) all << store.view(i).toString();
  return all;
}

// One of each kind of text the store tells apart.
const QStringList kTexts = {
    QStringLiteral("$pref::Player::name = \"Rook\";"),
    QString::fromLatin1("caf\xE9 \x80\x81\x9F \xFF"),  // Latin-1, C1 controls included
    QStringLiteral("price \u20AC 5 \u2122"),           // above Latin-1
    QString::fromUtf16(u"pair \U0001F600 end"),
    QString::fromUtf16(u"lone \xD800 high"),
    QString(),
    QString(3000000, QChar(u'x')),  // larger than a block
    QString(700000, QChar(0x20AC)),
};

TEST(ItemStore, everyKindOfText_comesBackExactlyThroughEveryWayIn) {
  ui::ItemStore store;
  const std::vector<QAnyStringView> all(kTexts.begin(), kTexts.end());
  store.append(all);
  const QByteArray latin1 = kTexts[1].toLatin1();
  const std::vector<QAnyStringView> views = {QLatin1StringView(latin1), QStringView(kTexts[2]),
                                             QUtf8StringView("utf-8 \xC3\xA9")};
  store.append(views);
  store.insert(1, kTexts[3]);
  store.insert(0, kTexts[7]);
  QStringList expected = kTexts;
  expected << kTexts[1] << kTexts[2] << QStringLiteral("utf-8 \u00E9");
  expected.insert(1, kTexts[3]);
  expected.insert(0, kTexts[7]);
  EXPECT_EQ(Texts(store), expected);
  store.clear();
  EXPECT_EQ(store.size(), 0);
}

// Guards the reuse of the space that removed items leave behind: a long editing session
// replaces lines many times over, and every other line must stay as it was.
TEST(ItemStore, manyReplacements_keepEveryItemAndItsPlace) {
  ui::ItemStore store;
  QStringList expected;
  for (int i = 0; i < 500; ++i)
    expected << QStringLiteral("$pref::Line::n%1 = \"%2\";").arg(i).arg(QString(100, QChar(u'a' + i % 26)));
  store.append(std::vector<QAnyStringView>(expected.begin(), expected.end()));
  for (int round = 0; round < 60000; ++round) {
    const int row = (round * 7919) % 500;
    const QString line = QStringLiteral("$pref::Edit::r%1 = %2;")
                             .arg(round)
                             .arg(round % 3 == 0 ? QStringLiteral("\u20AC") : QString(60, QChar(u'b')));
    store.insert(row, line);
    store.remove(row + 1);
    expected[row] = line;
    if (round % 5000 == 0) ASSERT_EQ(Texts(store), expected) << "after round " << round;
  }
  EXPECT_EQ(Texts(store), expected);
}

}  // namespace
