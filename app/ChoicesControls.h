// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pipeline/ConverterChoices.h"

#include <functional>

struct MainWindowUi;
class QObject;

// The Converter tab's choices as its controls and Quick Encode hold them.
// A picture count the box holds that is no number from 1 to 99 reads as
// the ten a conversion would take.
pipeline::ConverterChoices readChoices(const MainWindowUi &ui);

// Sets the controls to the choices; a value a list does not hold leaves
// that list as it is.
void applyChoices(const MainWindowUi &ui, const pipeline::ConverterChoices &choices);

// Calls changed whenever one of those controls changes.
void watchChoices(const MainWindowUi &ui, QObject *context, const std::function<void()> &changed);
