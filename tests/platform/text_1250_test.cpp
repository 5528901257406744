#include "platform/text_1250.h"

#include <gtest/gtest.h>

TEST(Text1250, CzechAndGermanLettersTakeTheirCodePageBytes)
{
    EXPECT_EQ(Utf8ToWindows1250("Předstih"),
        QByteArray("P\xF8"
                   "edstih"));
    EXPECT_EQ(Utf8ToWindows1250("Zündung"),
        QByteArray("Z\xFC"
                   "ndung"));
    EXPECT_EQ(Utf8ToWindows1250("Čtení €"),
        QByteArray("\xC8"
                   "ten\xED \x80"));
    EXPECT_EQ(FromWindows1250("\xC8"
                              "ten\xED"),
        QString::fromUtf8("Čtení"));
}

TEST(Text1250, CharactersOutsideTheCodePageBecomeOneQuestionMarkEach)
{
    EXPECT_EQ(Utf8ToWindows1250("a中b😀c"), QByteArray("a?b?c"));
    // A lone half of a surrogate pair is not a character either.
    EXPECT_EQ(ToWindows1250(QString(QChar(0xD800)) + "x"), QByteArray("?x"));
}

TEST(Text1250, EveryByteSurvivesDecodingAndEncoding)
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(static_cast<char>(i));
    const QString text = FromWindows1250(all);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(ToWindows1250(text), all);
}
