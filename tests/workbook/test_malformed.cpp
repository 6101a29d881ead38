// Every file of the malformed corpus is refused with the expected kind of error, quickly; every
// fixture and fuzzing seed is read or refused without crashing. Run it under -DQD_ASAN=ON as well.

#include "Workbook.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>

using namespace qd::wb;

namespace {

QMap<QString, Error::Kind> expectedKinds() {
    const QMap<QString, Error::Kind> byName{{QStringLiteral("Missing"), Error::Kind::Missing},
                                            {QStringLiteral("Unreadable"), Error::Kind::Unreadable},
                                            {QStringLiteral("Empty"), Error::Kind::Empty},
                                            {QStringLiteral("NotAWorkbook"), Error::Kind::NotAWorkbook},
                                            {QStringLiteral("Protected"), Error::Kind::Protected},
                                            {QStringLiteral("Unsupported"), Error::Kind::Unsupported},
                                            {QStringLiteral("Damaged"), Error::Kind::Damaged},
                                            {QStringLiteral("TooLarge"), Error::Kind::TooLarge}};
    QMap<QString, Error::Kind> out;
    QFile f(QStringLiteral(QD_WB_MALFORMED "/expected.txt"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    while (!f.atEnd()) {
        const QStringList parts = QString::fromUtf8(f.readLine()).trimmed().split(QLatin1Char(' '));
        if (parts.size() == 2) {
            EXPECT_TRUE(byName.contains(parts[1])) << parts[1].toStdString();
            out.insert(parts[0], byName.value(parts[1]));
        }
    }
    return out;
}

TEST(Malformed, EveryFileGivesItsErrorQuickly) {
    const auto expected = expectedKinds();
    ASSERT_GE(expected.size(), 20);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QString path = QStringLiteral(QD_WB_MALFORMED "/") + it.key();
        QElapsedTimer timer;
        timer.start();
        try {
            Workbook::open(path);
            ADD_FAILURE() << "read without error: " << it.key().toStdString();
        } catch (const Error& e) {
            EXPECT_EQ(int(e.kind()), int(it.value()))
                << it.key().toStdString() << ": " << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(it.key())) << e.message().toStdString();
        }
        EXPECT_LT(timer.elapsed(), 5000) << it.key().toStdString();
    }
}

// The fuzzers start from these files; here they only have to be read or refused cleanly, from memory
// and with the bytes cut short at a few points.
TEST(Malformed, SeedsAndTheirTruncationsNeverCrash) {
    QStringList files;
    for (const char* dir : {QD_WB_FIXTURES, QD_WB_SEEDS}) {
        QDirIterator it(QString::fromUtf8(dir), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            if (!f.endsWith(QLatin1String(".py")) && !f.endsWith(QLatin1String(".sh"))) files << f;
        }
    }
    ASSERT_FALSE(files.isEmpty());
    int read = 0;
    for (const QString& path : files) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray data = f.readAll();
        for (qsizetype cut :
             {data.size(), data.size() - 1, data.size() * 3 / 4, data.size() / 2, qsizetype(600)}) {
            if (cut < 0 || cut > data.size()) continue;
            try {
                const auto wb = Workbook::fromMemory(data.left(cut), QFileInfo(path).fileName());
                if (cut == data.size()) ++read;
            } catch (const Error&) {
            }
        }
    }
    EXPECT_GT(read, 0);
}

} // namespace
