// SPDX-License-Identifier: GPL-3.0-or-later
#include "WatermarkTab.h"

#include "platform/ColorCombo.h"
#include "platform/CommonDialog.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/UpDown.h"
#include "watermark/InputRules.h"
#include "watermark/WatermarkSettings.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>

using namespace watermark;
using platform::MsgBoxStyle::Critical;
using platform::MsgBoxStyle::Information;

namespace {

// A list index from a settings file: -1 (nothing selected) or an entry.
bool selectIndex(QComboBox *list, qint16 index)
{
    if (index < -1 || index >= list->count())
        return false;
    list->setCurrentIndex(index);
    return true;
}

} // namespace

WatermarkTab::WatermarkTab(MainWindowUi &ui,
                           PlatformServices &services,
                           platform::CommonDialog &commonDialog,
                           QObject *parent)
    : QObject(parent)
    , m_ui(ui)
    , m_services(services)
    , m_dialog(commonDialog)
{
    for (QLineEdit *box : {m_ui.txtLeft, m_ui.txtTop, m_ui.txtAlpha}) {
        box->setMaxLength(MaxFieldLength);
        m_digitKeys.watch(box);
    }
    connect(m_ui.txtAlpha, &QLineEdit::textChanged, this, &WatermarkTab::txtAlpha_Change);
    connect(m_ui.updAlpha, &platform::UpDown::upClick, this, &WatermarkTab::updAlpha_UpClick);
    connect(m_ui.updAlpha, &platform::UpDown::downClick, this, &WatermarkTab::updAlpha_DownClick);
    connect(m_ui.cmdSaveWMOptions,
            &QPushButton::clicked,
            this,
            &WatermarkTab::cmdSaveWMOptions_Click);
    connect(m_ui.cmdLoadWMOptions,
            &QPushButton::clicked,
            this,
            &WatermarkTab::cmdLoadWMOptions_Click);
}

void WatermarkTab::txtAlpha_Change()
{
    if (const std::optional<QString> limited = alphaLimit(m_ui.txtAlpha->text()))
        m_ui.txtAlpha->setText(*limited);
}

void WatermarkTab::updAlpha_UpClick()
{
    if (const std::optional<QString> next = alphaStepUp(m_ui.txtAlpha->text()))
        m_ui.txtAlpha->setText(*next);
}

void WatermarkTab::updAlpha_DownClick()
{
    if (const std::optional<QString> next = alphaStepDown(m_ui.txtAlpha->text()))
        m_ui.txtAlpha->setText(*next);
}

void WatermarkTab::prepareDialog(const QString &title)
{
    m_dialog.FileName.clear();
    m_dialog.DialogTitle = title;
    m_dialog.MaxFileSize = 32000;
    m_dialog.Flags = platform::DialogFlags::OverwritePrompt | platform::DialogFlags::HideReadOnly;
    m_dialog.Filter = "Watermark Settings File|*.wsx";
}

void WatermarkTab::cmdSaveWMOptions_Click()
{
    if (m_ui.txtWatermark->toPlainText().isEmpty()) {
        m_services.messageBoxes.MsgBox("WATERMARK TEXT MISSING!", Critical, "Error");
        m_ui.txtWatermark->setFocus();
        m_ui.sstThis->setCurrentIndex(1);
        return;
    }
    prepareDialog("Save Watermark Settings");
    if (!m_dialog.ShowSave())
        return;
    const QString path = m_dialog.FileName;

    const WatermarkSettings settings {toFileLineBreaks(m_ui.txtWatermark->toPlainText()),
                                      m_ui.ccbWatermarkColor->selectedPosition(),
                                      static_cast<qint16>(m_ui.cmbFontName->currentIndex()),
                                      static_cast<qint16>(m_ui.cmbFontSize->currentIndex()),
                                      m_ui.txtLeft->text(),
                                      m_ui.txtTop->text(),
                                      m_ui.txtAlpha->text()};
    const auto bytes = settingsToBytes(settings);
    if (const auto *problem = std::get_if<SaveProblem>(&bytes)) {
        m_services.messageBoxes.MsgBox(saveProblemMessage(*problem), Critical, "Error");
        return;
    }

    // The old file is replaced only by a completely written new one.
    QSaveFile file(path);
    const QByteArray &content = std::get<QByteArray>(bytes);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()
        || !file.commit()) {
        m_services.messageBoxes.MsgBox("CANNOT SAVE " + path + ": " + file.errorString(),
                                       Critical,
                                       "Error");
        return;
    }
    m_services.messageBoxes.MsgBox("SETTINGS SAVED AS " + path, Information, " Message");
}

void WatermarkTab::cmdLoadWMOptions_Click()
{
    prepareDialog("Load Watermark Settings");
    if (!m_dialog.ShowOpen())
        return;
    const QString path = m_dialog.FileName;
    const platform::SmallFile file = platform::readSmallFile(path, MaxSettingsFileBytes);
    if (!file.problem.isEmpty()) {
        m_services.messageBoxes.MsgBox("CANNOT LOAD " + path + ": " + file.problem,
                                       Critical,
                                       "Error");
        return;
    }
    applyLoaded(file.bytes);
}

// Sets the controls line by line; an index that its list does not take ends
// the load there, with the earlier lines applied.
void WatermarkTab::applyLoaded(const QByteArray &bytes)
{
    const LoadedSettings loaded = settingsFromBytes(bytes);
    if (!loaded.text)
        return;
    m_ui.txtWatermark->setPlainText(toBoxLineBreaks(*loaded.text));
    if (!loaded.color)
        return;
    if (*loaded.color == -1)
        m_ui.ccbWatermarkColor->setCurrentIndex(-1);
    else if (!m_ui.ccbWatermarkColor->setSelectedPosition(*loaded.color))
        return;
    if (!loaded.font || !selectIndex(m_ui.cmbFontName, *loaded.font))
        return;
    m_ui.cmbFontFileName->setCurrentIndex(m_ui.cmbFontName->currentIndex());
    if (!loaded.fontSize || !selectIndex(m_ui.cmbFontSize, *loaded.fontSize))
        return;
    if (!loaded.left)
        return;
    m_ui.txtLeft->setText(*loaded.left);
    if (!loaded.top)
        return;
    m_ui.txtTop->setText(*loaded.top);
    if (!loaded.alpha)
        return;
    m_ui.txtAlpha->setText(*loaded.alpha);
}
