// The player tab's requests for a file, answered through the window's
// shared file dialog.
#include "support/PlayerTab.h"

#include <QLayout>
#include <QPushButton>
#include <QtTest>

using platform::FileDialogRequest;

class PreviewHostTest : public QObject
{
    Q_OBJECT

    struct Tab : PlayerTab
    {
        QUrl playing() const { return media() ? media()->source() : QUrl(); }
    };

    static FileDialogRequest flvRequest(const QString &startingPath)
    {
        FileDialogRequest request;
        request.mode = FileDialogRequest::Mode::Open;
        request.title = "Open FLV File";
        request.initialPath = startingPath;
        request.nameFilters = {"Flash Video Files (*.flv)"};
        request.fileMustExist = true;
        request.confirmOverwrite = false;
        return request;
    }

private Q_SLOTS:
    void thePlayerSitsInsideSwfControl()
    {
        Tab tab;
        QVERIFY(tab.host.swfControl());
        QCOMPARE(tab.host.swfControl()->parentWidget(), tab.swfControl);
        QVERIFY(tab.swfControl->layout());
        QVERIFY(tab.swfControl->layout()->indexOf(tab.host.swfControl()) >= 0);
        QVERIFY(tab.host.swfControl()->showingMessage());
    }

    void everyCommandOpensTheSameDialog()
    {
        Tab tab;
        tab.host.swfControl_FSCommand("openFlvFile", "");
        tab.host.swfControl_FSCommand("", "");
        tab.host.swfControl_FSCommand("quit", "true");
        tab.host.swfControl_FSCommand("some.other\"command", "a|b,c");
        QCOMPARE(tab.dialogs.fileRequests.size(), 4);
        for (const FileDialogRequest &request : tab.dialogs.fileRequests)
            QCOMPARE(request, flvRequest(QString()));
        QCOMPARE(tab.commonDialog.Flags, 4100);
        QCOMPARE(tab.commonDialog.MaxFileSize, 32000);
        QCOMPARE(tab.commonDialog.Filter, QString("Flash Video Files|*.flv"));
        QCOMPARE(tab.commonDialog.DialogTitle, QString("Open FLV File"));
        QVERIFY(tab.playing().isEmpty());
    }

    void theOpenButtonAsksTheHost()
    {
        Tab tab;
        auto *open = tab.host.swfControl()->findChild<QPushButton *>("cmdOpen");
        QVERIFY(open);
        QSignalSpy commands(tab.host.swfControl(), &preview::FlvPlayer::fsCommand);
        tab.dialogs.fileAnswers = {"/videos/clip.flv"};
        QTest::mouseClick(open, Qt::LeftButton);
        QCOMPARE(commands.size(), 1);
        QCOMPARE(tab.dialogs.fileRequests.size(), 1);
        QCOMPARE(tab.playing(), QUrl::fromLocalFile("/videos/clip.flv"));
        QCOMPARE(tab.commonDialog.FileName, QString("/videos/clip.flv"));
    }

    void cancelPassesNothing()
    {
        Tab tab;
        tab.dialogs.fileAnswers = {"/videos/first.flv", QString()};
        tab.host.swfControl_FSCommand("openFlvFile", "");
        QCOMPARE(tab.playing(), QUrl::fromLocalFile("/videos/first.flv"));
        tab.host.swfControl_FSCommand("openFlvFile", "");
        QCOMPARE(tab.dialogs.fileRequests.size(), 2);
        QCOMPARE(tab.playing(), QUrl::fromLocalFile("/videos/first.flv"));
        QCOMPARE(tab.commonDialog.FileName, QString("/videos/first.flv"));
    }

    void theDialogStartsFromThePathLastChosenInAnyDialog()
    {
        Tab tab;
        // A watermark settings file saved first, the way that handler uses
        // the shared dialog: it resets the name and sets its own options.
        tab.commonDialog.FileName.clear();
        tab.commonDialog.DialogTitle = "Save Watermark Settings";
        tab.commonDialog.MaxFileSize = 32000;
        tab.commonDialog.Flags = 6;
        tab.commonDialog.Filter = "Watermark Settings File|*.wsx";
        tab.dialogs.fileAnswers = {"/home/me/marks/logo.wsx", "/home/me/out/clip.flv"};
        QVERIFY(tab.commonDialog.ShowSave());

        tab.host.swfControl_FSCommand("openFlvFile", "");
        QCOMPARE(tab.dialogs.fileRequests.last(), flvRequest("/home/me/marks/logo.wsx"));

        // An earlier FLV choice is the next starting point, and so is a
        // source video chosen in between.
        tab.host.swfControl_FSCommand("openFlvFile", "");
        QCOMPARE(tab.dialogs.fileRequests.last(), flvRequest("/home/me/out/clip.flv"));
        tab.commonDialog.Flags = 4100;
        tab.commonDialog.DialogTitle = "Open Video File to Encode";
        tab.dialogs.fileAnswers = {"/home/me/src/holiday.avi"};
        QVERIFY(tab.commonDialog.ShowOpen());
        tab.host.swfControl_FSCommand("openFlvFile", "");
        QCOMPARE(tab.dialogs.fileRequests.last(), flvRequest("/home/me/src/holiday.avi"));
        QCOMPARE(tab.playing(), QUrl::fromLocalFile("/home/me/out/clip.flv"));
    }
};

QTEST_MAIN(PreviewHostTest)
#include "test_preview_host.moc"
