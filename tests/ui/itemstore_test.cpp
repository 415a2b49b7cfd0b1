// The list's items are packed (one byte a character where they fit in Latin-1, two
// otherwise); every way in must give the exact text back, in its place, also after many
// replacements have made the store copy its live texts anew.

#include "ui/itemstore.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(ItemStore, everyKindOfText_comesBackExactlyInItsPlace) {
  const QByteArray latin1("caf\xE9 \x80\x81\x9F \xFF");
  const QString texts[] = {QStringLiteral("$a = \"Rook\";"), QString::fromLatin1(latin1), QStringLiteral("\u20AC 5 \u2122"),
                           QString::fromUtf16(u"pair \U0001F600, lone \xD800"), QString(), QString(3000000, u'x'),
                           QString(700000, QChar(0x20AC)), QStringLiteral("utf-8 \u00E9")};
  ui::ItemStore store;
  for (int row = 0; row < 500; ++row) store.append(std::vector<QAnyStringView>{QLatin1StringView("$n = 1;")});
  QStringList expected(500, QStringLiteral("$n = 1;"));
  for (int round = 500; round < 60000; ++round) {
    const int row = (round * 7919) % 500;
    const QString line = QStringLiteral("$r%1 = %2;").arg(round).arg(round % 3 ? QString(60, u'b') : QStringLiteral("\u20AC"));
    store.insert(row, line);
    store.remove(row + 1);
    expected[row] = line;
  }
  store.append(std::vector<QAnyStringView>{QLatin1StringView(latin1), QStringView(texts[2]), QUtf8StringView("utf-8 \xC3\xA9")});
  for (const QString& text : texts) store.insert(3, text);
  expected << texts[1] << texts[2] << texts[7];
  for (const QString& text : texts) expected.insert(3, text);
  QStringList got;
  for (int i = 0; i < store.size(); ++i) {
    const QAnyStringView view = store.view(i);
    got << view.toString();
    // Guards against UTF-16 text read from an odd address.
    EXPECT_TRUE(view.size_bytes() == view.size() || reinterpret_cast<quintptr>(view.data()) % 2 == 0) << i;
  }
  EXPECT_TRUE(got == expected);
  store.clear();
  EXPECT_EQ(store.size(), 0);
}
