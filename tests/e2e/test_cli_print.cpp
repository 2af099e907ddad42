// lumo-cli print: the settings printout and the name labels as PDF, checked the way a reader
// sees them: the text poppler extracts and the pixels it renders.
#include "support/FileHelpers.h"
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using lumo::test::readFile;
using lumo::test::writeFile;

struct ProcessResult {
    int status = -1;
    QString out;
    QString err;
};

ProcessResult run(const QString& program, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the command picks a headless one itself
    p.setProcessEnvironment(env);
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(60000)) << qPrintable(program);
    ProcessResult r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

ProcessResult cli(const QStringList& args) {
    return run(QStringLiteral(LUMO_CLI_PATH), args);
}

// A rendered page as poppler draws it (binary PPM).
struct Picture {
    int width = 0;
    int height = 0;
    QByteArray rgb;
    bool blueAt(int x, int y) const {
        const qsizetype i = (qsizetype(y) * width + x) * 3;
        const auto r = uchar(rgb[i]), g = uchar(rgb[i + 1]), b = uchar(rgb[i + 2]);
        return b > 150 && r < 120 && g < 120;
    }
    // Blue pixels within `slack` of (x, y).
    bool blueNear(int x, int y, int slack = 2) const {
        for (int dy = -slack; dy <= slack; ++dy)
            for (int dx = -slack; dx <= slack; ++dx)
                if (x + dx >= 0 && y + dy >= 0 && x + dx < width && y + dy < height &&
                    blueAt(x + dx, y + dy))
                    return true;
        return false;
    }
};

Picture renderPage(const QString& pdf, int page, int dpi, const QString& prefix) {
    const ProcessResult r = run(QStringLiteral("pdftoppm"),
                                {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                                 QString::number(page), QStringLiteral("-l"), QString::number(page),
                                 QStringLiteral("-singlefile"), pdf, prefix});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);
    QByteArray bytes = readFile(prefix + QStringLiteral(".ppm"));
    Picture p;
    // "P6\n<w> <h>\n255\n" then the pixels.
    QList<QByteArray> fields;
    qsizetype at = 0;
    while (fields.size() < 4 && at < bytes.size()) {
        while (at < bytes.size() && QChar(bytes[at]).isSpace())
            ++at;
        const qsizetype start = at;
        while (at < bytes.size() && !QChar(bytes[at]).isSpace())
            ++at;
        fields << bytes.mid(start, at - start);
    }
    if (fields.size() < 4 || fields[0] != "P6")
        return p;
    p.width = fields[1].toInt();
    p.height = fields[2].toInt();
    p.rgb = bytes.mid(at + 1);
    EXPECT_EQ(p.rgb.size(), qsizetype(p.width) * p.height * 3);
    return p;
}

QString pdfText(const QString& pdf) {
    const ProcessResult r =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);
    return r.out;
}

int pdfPages(const QString& pdf) {
    const ProcessResult r = run(QStringLiteral("pdfinfo"), {pdf});
    for (const QString& line : r.out.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

class CliPrint : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(CliPrint, SettingsPrintoutAsSearchablePdf) {
    // A JSON set with two buttons' numbers and a prefix.
    ASSERT_TRUE(writeFile(path("set.json"), R"({"Edit2": "602111222", "Edit66": "*0123",
                                               "Edit100": "777", "Edit140": "44",
                                               "Edit158": "0"})"));
    const ProcessResult r = cli({QStringLiteral("print"), QStringLiteral("settings"),
                                 path("set.json"), QStringLiteral("--pdf"), path("set.pdf")});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    const QString text = pdfText(path("set.pdf"));
    EXPECT_TRUE(text.contains(QStringLiteral("Tisk nastavení"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("Pg.- 1 -")));
    EXPECT_TRUE(text.contains(QStringLiteral("Pg.- 2 -")));
    EXPECT_EQ(pdfPages(path("set.pdf")), 2);
    // Button 2 with both numbers on one line, button 36 with a night number only.
    bool two = false, thirtySix = false;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QStringList words = line.simplified().split(QLatin1Char(' '));
        if (words == QStringList{"Tlačítko", "2", "602111222", "*0123"})
            two = true;
        if (words == QStringList{"Tlačítko", "36", "777"})
            thirtySix = true;
        EXPECT_FALSE(line.contains(QStringLiteral("Tlačítko 1 "))) << qPrintable(line);
    }
    EXPECT_TRUE(two) << qPrintable(text);
    EXPECT_TRUE(thirtySix);
    EXPECT_TRUE(text.contains(QStringLiteral("Ano")));

    // The blue frame 10 mm inside an A4 page, drawn at 50 dpi: (19.7, 19.7) to (393.7, 565).
    const Picture page = renderPage(path("set.pdf"), 1, 50, path("p1"));
    ASSERT_NEAR(page.width, 413, 1);
    EXPECT_TRUE(page.blueNear(20, 300));
    EXPECT_TRUE(page.blueNear(394, 300));
    EXPECT_TRUE(page.blueNear(200, 20));
    EXPECT_TRUE(page.blueNear(200, 565));
    EXPECT_FALSE(page.blueNear(200, 300, 0));
    const Picture last = renderPage(path("set.pdf"), 2, 50, path("p2"));
    EXPECT_TRUE(last.blueNear(200, 565));
}

TEST_F(CliPrint, LanguagePackAndPageSize) {
    ASSERT_TRUE(writeFile(path("English.lng"),
                          "[Menu]\r\n14=&Print settings\r\n[TAB4]\r\n5=Button\r\n"
                          "[MESSAGE]\r\n53=Yes\r\n54=No\r\n"));
    // Twenty buttons with a number: two A4 pages, three A5 pages.
    QByteArray json = "{";
    for (int k = 1; k <= 20; ++k)
        json += "\"Edit" + QByteArray::number(k) + "\": \"" + QByteArray::number(10 + k) + "\",";
    json.chop(1);
    ASSERT_TRUE(writeFile(path("set.json"), json + "}"));
    const ProcessResult r =
        cli({QStringLiteral("print"), QStringLiteral("settings"), path("set.json"),
             QStringLiteral("--pdf"), path("en.pdf"), QStringLiteral("--page"),
             QStringLiteral("A5"), QStringLiteral("--lang"), path("English.lng")});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    const QString text = pdfText(path("en.pdf"));
    EXPECT_TRUE(text.contains(QStringLiteral("Print settings")));
    EXPECT_FALSE(text.contains(QStringLiteral("Tisk nastavení")));
    EXPECT_TRUE(text.contains(QStringLiteral("Button 1")));
    EXPECT_TRUE(text.contains(QStringLiteral("Yes")));
    // A5 is shorter: the same rows take more pages.
    EXPECT_EQ(pdfPages(path("en.pdf")), 3);
    ASSERT_EQ(cli({QStringLiteral("print"), QStringLiteral("settings"), path("set.json"),
                   QStringLiteral("--pdf"), path("a4.pdf")})
                  .status,
              0);
    EXPECT_EQ(pdfPages(path("a4.pdf")), 2);
    const ProcessResult info = run(QStringLiteral("pdfinfo"), {path("en.pdf")});
    EXPECT_TRUE(info.out.contains(QStringLiteral("(A5)"))) << qPrintable(info.out);
}

TEST_F(CliPrint, LabelsAsPdf) {
    // A label file as the earlier program writes it (code page 1250).
    ASSERT_TRUE(writeFile(path("jmena.ktl"),
                          "[N]\r\n1=Nov\xe1k\r\n2=\x8eiv\xe1\r\n13=Dvo\xf8\xe1k\r\n"
                          "14=\r\n24=Posledn\xed\r\n"));
    const ProcessResult r = cli({QStringLiteral("print"), QStringLiteral("labels"),
                                 path("jmena.ktl"), QStringLiteral("--pdf"), path("labels.pdf")});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_EQ(pdfPages(path("labels.pdf")), 1);
    const QStringList lines =
        pdfText(path("labels.pdf")).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList rows;
    for (const QString& l : lines)
        if (!l.trimmed().isEmpty())
            rows << l.simplified();
    // Edit1 and Edit13 on the first row, Edit2 and Edit24 on the second.
    EXPECT_EQ(rows, (QStringList{QStringLiteral("Novák Dvořák"), QStringLiteral("Živá Poslední")}));

    // Cell outlines at 100 dpi: the first cell spans 39.4..259.8 across, 39.4..88.6 down.
    const Picture page = renderPage(path("labels.pdf"), 1, 100, path("l1"));
    EXPECT_TRUE(page.blueNear(39, 60));
    EXPECT_TRUE(page.blueNear(260, 60));
    EXPECT_TRUE(page.blueNear(150, 39));
    EXPECT_TRUE(page.blueNear(150, 89));
    EXPECT_TRUE(page.blueNear(311, 60));   // the right cell starts at 79 mm
    EXPECT_TRUE(page.blueNear(150, 98));   // the second row from 25 mm
    EXPECT_TRUE(page.blueNear(150, 148));  // to 37.5 mm
    EXPECT_FALSE(page.blueNear(150, 158)); // no third row
}

TEST_F(CliPrint, Refusals) {
    ASSERT_TRUE(writeFile(path("x.KTF"), QByteArray(8550, ' ')));
    ProcessResult r = cli({QStringLiteral("print"), QStringLiteral("labels"), path("x.KTF"),
                           QStringLiteral("--pdf"), path("x.pdf")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Vybraný soubor není soubor s vizitkami")));
    EXPECT_FALSE(QFile::exists(path("x.pdf")));

    r = cli({QStringLiteral("print"), QStringLiteral("settings"), path("missing.KTF"),
             QStringLiteral("--pdf"), path("m.pdf")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(path("missing.KTF")));

    ASSERT_TRUE(writeFile(path("set.json"), "{}"));
    r = cli({QStringLiteral("print"), QStringLiteral("settings"), path("set.json"),
             QStringLiteral("--pdf"), path("set.json") + QStringLiteral("/no.pdf")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("no.pdf")));

    r = cli({QStringLiteral("print"), QStringLiteral("settings"), path("set.json"),
             QStringLiteral("--pdf"), path("a.pdf"), QStringLiteral("--lang"),
             path("missing.lng")});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(QFile::exists(path("a.pdf")));

    EXPECT_EQ(cli({QStringLiteral("print"), QStringLiteral("settings"), path("set.json"),
                   QStringLiteral("--pdf"), path("a.pdf"), QStringLiteral("--page"),
                   QStringLiteral("A3")})
                  .status,
              2);
    EXPECT_EQ(cli({QStringLiteral("print"), QStringLiteral("labels"), path("a.KTL")}).status, 2);
    EXPECT_EQ(cli({QStringLiteral("print"), QStringLiteral("poster"), path("a.KTL"),
                   QStringLiteral("--pdf"), path("a.pdf")})
                  .status,
              2);
}
