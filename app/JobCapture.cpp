// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobCapture.h"

#include "pipeline/EncodeRequest.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

pipeline::JobSpec withCurrentOptions(const MainWindowUi &ui, pipeline::JobSpec spec)
{
    spec.options = readConversionOptions(ui.conversionControls());
    spec.normalize = pipeline::needsNormalization(spec.source,
                                                  ui.chkQuickEncode->checkState() == Qt::Checked);
    spec.frameCount = ui.chkImage->checkState() == Qt::Checked
            ? pipeline::imageFrameCount(ui.txtNumImages->text())
            : QString();
    if (!ui.lblOutDir->text().isEmpty())
        spec.outputFolder = ui.lblOutDir->text();
    return spec;
}

pipeline::JobSpec captureJobSpec(const MainWindowUi &ui, const QString &source)
{
    pipeline::JobSpec spec;
    spec.source = source;
    const QString name = QFileInfo(source).fileName();
    spec.outputName = pipeline::proposeOutputName(name).value_or(name);
    return withCurrentOptions(ui, spec);
}
