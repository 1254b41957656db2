#pragma once

#include "workflow/ArchiveCommands.h"
#include "workflow/ScanWorkflow.h"

class QWidget;

// The window's own dialogs for the widget-free workflow and archive commands:
// the next-page dialog, the viewer, the write worker with its progress dialog
// and the desktop's trash, all owned by `owner`. Seams already set are kept.
ScanWorkflowSeams WindowWorkflowSeams(QWidget* owner, Prompter& prompter,
                                      ScanWorkflowSeams given = {});
ArchiveCommands::Seams WindowArchiveSeams(QWidget* owner, Prompter& prompter);
