// The player tab's requests for a file, answered through the window's
// shared file dialog.
#include "support/PlayerTab.h"

#include <QLayout>
#include <QtTest>

using platform::FileDialogRequest;

class PreviewHostTest : public QObject
{
    Q_OBJECT

    static FileDialogRequest flvRequest(const QString &startingPath)
    {
        return {FileDialogRequest::Mode::Open,
                "Open FLV File",
                startingPath,
                {"Flash Video Files (*.flv)"},
                true,
                false};
    }

    static QUrl playing(const PlayerTab &tab)
    {
        return tab.media() ? tab.media()->source() : QUrl();
    }

private Q_SLOTS:
    // Whatever the player's command, the host asks for an FLV file; Open
    // plays the choice, and a cancel keeps what plays.
    void everyCommandOpensTheSameDialog()
    {
        PlayerTab tab;
        QVERIFY(tab.swfControl->layout()->indexOf(tab.player()) >= 0);
        QVERIFY(tab.player()->showingMessage());
        tab.host.swfControl_FSCommand("", "");
        tab.host.swfControl_FSCommand("quit", "true");
        tab.host.swfControl_FSCommand("some.other\"command", "a|b,c");
        QVERIFY(playing(tab).isEmpty());
        tab.open("/videos/first.flv");
        QCOMPARE(playing(tab), QUrl::fromLocalFile("/videos/first.flv"));
        tab.open(QString());
        QCOMPARE(playing(tab), QUrl::fromLocalFile("/videos/first.flv"));
        QCOMPARE(tab.dialogs.fileRequests,
                 QList<FileDialogRequest>({flvRequest(""),
                                           flvRequest(""),
                                           flvRequest(""),
                                           flvRequest(""),
                                           flvRequest("/videos/first.flv")}));
    }

    void theDialogStartsFromThePathLastChosenInAnyDialog()
    {
        PlayerTab tab;
        // A watermark settings file saved first, the way that handler uses
        // the shared dialog: it resets the name and sets its own options.
        tab.commonDialog.FileName.clear();
        tab.commonDialog.DialogTitle = "Save Watermark Settings";
        tab.commonDialog.Flags = 6;
        tab.commonDialog.Filter = "Watermark Settings File|*.wsx";
        tab.dialogs.fileAnswers = {"/home/me/marks/logo.wsx", "/home/me/out/clip.flv"};
        QVERIFY(tab.commonDialog.ShowSave());

        tab.host.swfControl_FSCommand("openFlvFile", "");
        QCOMPARE(tab.dialogs.fileRequests.last(), flvRequest("/home/me/marks/logo.wsx"));
        tab.host.swfControl_FSCommand("openFlvFile", "");
        QCOMPARE(tab.dialogs.fileRequests.last(), flvRequest("/home/me/out/clip.flv"));
        // A source video chosen in between is the next starting point.
        tab.commonDialog.Flags = 4100;
        tab.commonDialog.DialogTitle = "Open Video File to Encode";
        tab.dialogs.fileAnswers = {"/home/me/src/holiday.avi"};
        QVERIFY(tab.commonDialog.ShowOpen());
        tab.host.swfControl_FSCommand("openFlvFile", "");
        QCOMPARE(tab.dialogs.fileRequests.last(), flvRequest("/home/me/src/holiday.avi"));
        QCOMPARE(playing(tab), QUrl::fromLocalFile("/home/me/out/clip.flv"));
    }
};

QTEST_MAIN(PreviewHostTest)
#include "test_preview_host.moc"
