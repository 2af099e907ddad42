// The print commands of the main window and the name-label dialog, on a shell without the
// window, with scripted file dialogs and a recording print runner.
#include "files/LabelFile.h"
#include "files/paint/DeviceLayouts.h"
#include "files/paint/PdfOutput.h"
#include "files/ui/PrintPreview.h"
#include "files/ui/PrintUi.h"
#include "files/ui/TForm4.h"
#include "params/ParameterModel.h"
#include "platform/VirtualClock.h"
#include "shell/Shell.h"
#include "support/FileHelpers.h"
#include "support/ScriptedMessenger.h"
#include "texts/Texts.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <gtest/gtest.h>

using namespace lumo;

namespace {

class ScriptedDialogs : public FileDialogs {
public:
    std::deque<std::optional<QString>> answers;
    std::optional<QString> run(const FileDialogRequest&) override {
        if (answers.empty())
            return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

// Lays every job out on a real PDF device and records what the command looked like meanwhile.
class RecordingRunner : public PrintRunner {
public:
    std::function<void()> during;
    std::vector<QString> titles;
    std::vector<PrintDocument> documents;
    QString pdfPath;
    void run(const PrintJob& job) override {
        titles.push_back(job.title);
        if (during)
            during();
        QPdfWriter writer(pdfPath);
        writer.setResolution(600);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        documents.push_back(job.layout(writer));
        ASSERT_TRUE(printJobOn(job, writer));
    }
};

QStringList textsOf(const PrintDocument& doc) {
    QStringList out;
    for (const PrintPage& page : doc.pages)
        for (const PrintOp& op : page.ops)
            if (const auto* t = std::get_if<PrintText>(&op))
                out << t->text;
    return out;
}

class PrintUiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        previousFolder = QDir::currentPath();
        QDir::setCurrent(dir.path());
        runner.pdfPath = dir.filePath(QStringLiteral("out.pdf"));
        shell.addPart(part);
    }
    void TearDown() override { QDir::setCurrent(previousFolder); }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    QString previousFolder;
    VirtualClock clock;
    test::ScriptedMessenger messenger;
    ParameterModel model;
    Texts texts;
    Shell shell{clock, messenger, model, texts};
    ScriptedDialogs dialogs;
    RecordingRunner runner;
    PrintUi part{nullptr, &dialogs, &runner};
};

} // namespace

TEST_F(PrintUiTest, PrintSettingsCommandDisablesItselfAndPrintsTheModel) {
    const CommandTable::Command* c = shell.commands().find(QStringLiteral("isknastaven1"));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->text, (TextKey{TextSection::Menu, 14}));
    ASSERT_TRUE(shell.commands().contains(QStringLiteral("iskvizitek1")));

    model.params().setText(QStringLiteral("Edit140"), QStringLiteral("77"));
    model.params().setText(QStringLiteral("Edit3"), QStringLiteral("602123456"));
    bool enabledDuring = true;
    runner.during = [&] {
        enabledDuring = shell.commands().isEnabled(QStringLiteral("isknastaven1"));
        // A change made while the preview is open does not reach this printout.
        model.params().setText(QStringLiteral("Edit140"), QStringLiteral("88"));
    };
    EXPECT_TRUE(shell.commands().trigger(QStringLiteral("isknastaven1")));
    EXPECT_FALSE(enabledDuring);
    EXPECT_TRUE(shell.commands().isEnabled(QStringLiteral("isknastaven1")));
    ASSERT_EQ(runner.titles, std::vector<QString>{QStringLiteral("Lumo print")});
    const QStringList printed = textsOf(runner.documents.at(0));
    EXPECT_TRUE(printed.contains(QStringLiteral("77")));
    EXPECT_FALSE(printed.contains(QStringLiteral("88")));
    EXPECT_TRUE(printed.contains(QStringLiteral("Tlačítko 3")));
    EXPECT_TRUE(printed.contains(QStringLiteral("602123456")));
    // The device's geometry: a 210 mm wide PDF page cuts labels at 55 characters.
    EXPECT_TRUE(test::readFile(runner.pdfPath).startsWith("%PDF"));
}

TEST_F(PrintUiTest, LabelDialogLayoutAndTexts) {
    TForm4* form = part.labelDialog();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form, part.labelDialog()); // one dialog for the run
    EXPECT_EQ(form->objectName(), QStringLiteral("Form4"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Tisk vizitek"));
    form->adjustSize();
    for (int n = 1; n <= 24; ++n) {
        QLineEdit* e = form->findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(n));
        ASSERT_NE(e, nullptr) << n;
        EXPECT_EQ(e->maxLength(), 20);
    }
    form->show();
    // Two columns of twelve, in blocks of four with a gap between blocks.
    auto pos = [&](int n) { return form->edit(n)->mapTo(form, QPoint(0, 0)); };
    EXPECT_EQ(pos(1).x(), pos(12).x());
    EXPECT_LT(pos(1).x(), pos(13).x());
    EXPECT_EQ(pos(1).y(), pos(13).y());
    EXPECT_EQ(pos(12).y(), pos(24).y());
    const int step = pos(2).y() - pos(1).y();
    EXPECT_GT(pos(5).y() - pos(4).y(), step);
    form->hide();

    auto button = [&](const char* name) {
        return form->findChild<QPushButton*>(QString::fromLatin1(name));
    };
    EXPECT_EQ(button("Button1")->text(), QStringLiteral("Tisk štítků"));
    EXPECT_EQ(button("Button2")->text(), QStringLiteral("Načíst"));
    EXPECT_EQ(button("Button3")->text(), QStringLiteral("Uložit"));
    // A language pack reaches the dialog through the part.
    texts.set(TextSection::OTHER, 32, QStringLiteral("Print labels"));
    texts.set(TextSection::Menu, 32, QStringLiteral("Name labels"));
    shell.applyTexts();
    EXPECT_EQ(button("Button1")->text(), QStringLiteral("Print labels"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Name labels"));
}

TEST_F(PrintUiTest, LongNamesShowCutButStayWholeUntilEdited) {
    const QString longName = QStringLiteral("Jméno delší než dvacet znaků");
    LabelNames names;
    names[0] = longName;
    names[5] = QStringLiteral("Krátké");
    QString error;
    ASSERT_TRUE(labelFile::save(path("dlouhe.KTL"), names, &error, texts));

    TForm4* form = part.labelDialog();
    dialogs.answers = {path("dlouhe.KTL")};
    form->Button2Click();
    EXPECT_TRUE(messenger.messages.empty());
    EXPECT_EQ(form->edit(1)->text(), longName.left(20));
    EXPECT_EQ(form->edit(6)->text(), QStringLiteral("Krátké"));
    EXPECT_EQ(form->names()[0], longName);

    // Saved and printed whole while untouched.
    dialogs.answers = {path("kopie.KTL")};
    form->Button3Click();
    LabelNames back;
    ASSERT_TRUE(labelFile::load(path("kopie.KTL"), back, &error, texts));
    EXPECT_EQ(back[0], longName);

    bool buttonEnabledDuring = true;
    runner.during = [&] {
        buttonEnabledDuring = form->findChild<QPushButton*>("Button1")->isEnabled();
    };
    form->Button1Click();
    EXPECT_FALSE(buttonEnabledDuring);
    EXPECT_TRUE(form->findChild<QPushButton*>("Button1")->isEnabled());
    ASSERT_EQ(runner.titles.back(), QStringLiteral("Label Vexo"));
    EXPECT_EQ(textsOf(runner.documents.back()), (QStringList{longName, QStringLiteral("Krátké")}));

    // Typing in the field replaces the name.
    form->edit(1)->setFocus();
    form->edit(1)->selectAll();
    form->edit(1)->insert(QStringLiteral("Nový"));
    EXPECT_EQ(form->names()[0], QStringLiteral("Nový"));
    // A character the label file cannot hold is not taken.
    form->edit(1)->insert(QStringLiteral("Жук"));
    EXPECT_EQ(form->edit(1)->text(), QStringLiteral("Nový"));
    EXPECT_EQ(form->names()[0], QStringLiteral("Nový"));

    // A cancelled open dialog: message 16, names unchanged.
    form->Button2Click();
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_EQ(messenger.messages[0], QStringLiteral("Nebyl vybrán žádný soubor"));
    EXPECT_EQ(form->names()[0], QStringLiteral("Nový"));
}

TEST(PdfOutputTest, PageNamesAndUnwritablePlaces) {
    QPageLayout layout;
    ASSERT_TRUE(pageLayoutByName(QStringLiteral("a5"), &layout));
    EXPECT_EQ(layout.pageSize().id(), QPageSize::A5);
    ASSERT_TRUE(pageLayoutByName(QStringLiteral("Letter"), &layout));
    EXPECT_EQ(layout.pageSize().id(), QPageSize::Letter);
    EXPECT_FALSE(pageLayoutByName(QStringLiteral("A3"), &layout));

    QTemporaryDir dir;
    QString reason;
    const QString inFolder = dir.path(); // a folder cannot become a PDF
    EXPECT_FALSE(writePdf(
        inFolder, QStringLiteral("t"), layout, [](QPagedPaintDevice&) { return PrintDocument{}; },
        &reason));
    EXPECT_FALSE(reason.isEmpty());
}

TEST(PrintPreviewTest, PreviewShowsThePagesAndOffersPdf) {
    Texts texts;
    PreviewPrintRunner runner(nullptr, texts);
    LabelNames names;
    names[0] = QStringLiteral("Novák");
    PrintJob job{QStringLiteral("Label Vexo"),
                 [names](QPagedPaintDevice& device) { return labelsFor(device, names); }};
    int pages = -1;
    bool pdfOffered = false;
    QString title;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        title = dialog->windowTitle();
        if (auto* view = dialog->findChild<QPrintPreviewWidget*>()) {
            view->updatePreview();
            pages = view->pageCount();
        }
        pdfOffered = dialog->findChild<QAction*>(QStringLiteral("SavePdf")) != nullptr;
        dialog->reject(); // Cancel: nothing printed
    });
    runner.run(job);
    EXPECT_EQ(title, QStringLiteral("Label Vexo"));
    EXPECT_EQ(pages, 1);
    EXPECT_TRUE(pdfOffered);
}
