// A language pack named by Config.ini may be anything: a FIFO or a huge file must not stop the
// program from starting.
#include "platform/IniDocument.h"
#include "texts/LanguagePack.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace lumo;

TEST(LanguagePackInput, FifoAndHugePacksAreRefusedWithoutWaitingOrReadingThem) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("English.lng"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    language::PackFile pack = language::readPack(fifo);
    EXPECT_TRUE(pack.existed);
    EXPECT_FALSE(pack.readable);

    QFile huge(dir.filePath(QStringLiteral("Huge.lng")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.write("[MESSAGE]\r\n35=x\r\n") > 0);
    ASSERT_TRUE(huge.resize(IniDocument::kLargestFile + 1));
    huge.close();
    pack = language::readPack(huge.fileName());
    EXPECT_TRUE(pack.existed);
    EXPECT_FALSE(pack.readable);
    EXPECT_TRUE(pack.entries.empty());
}
