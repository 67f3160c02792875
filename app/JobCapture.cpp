// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobCapture.h"

#include "pipeline/EncodeRequest.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

pipeline::JobSpec withCurrentOptions(const MainWindowUi &ui, pipeline::JobSpec jobSpec)
{
    jobSpec.options = readConversionOptions(ui.conversionControls());
    jobSpec.normalize = pipeline::needsNormalization(jobSpec.source,
                                                     ui.chkQuickEncode->checkState() == Qt::Checked);
    jobSpec.frameCount = ui.chkImage->checkState() == Qt::Checked
            ? pipeline::imageFrameCount(ui.txtNumImages->text())
            : QString();
    if (!ui.lblOutDir->text().isEmpty())
        jobSpec.outputFolder = ui.lblOutDir->text();
    return jobSpec;
}

pipeline::JobSpec captureJobSpec(const MainWindowUi &ui, const QString &source)
{
    pipeline::JobSpec jobSpec;
    jobSpec.source = source;
    const QString name = QFileInfo(source).fileName();
    jobSpec.outputName = pipeline::proposeOutputName(name).value_or(name);
    return withCurrentOptions(ui, jobSpec);
}
