// Everything of the in-memory host in one include, for tests that set up a whole scene:
//
//   MemoryApplication app;                      // with "Menu Bar", "Shapes", ... command bars
//   app.SetEventSink(&add_in_events);
//   MemoryPresentation& deck = app.OpenPresentation("/decks/board.pptx");  // raises the open
//   deck.AddSlide().AddTextBox("Sales").WithTag("QUENDRA COLUMN", "...");
//   app.SelectShapes({&deck.slide(1).shape(1)});                           // raises the change
//   app.faults().Fail("Presentation.Save");                               // next save fails
//
// Platform services: ScriptedFrontEnd, MemorySettingsStore, RecordingShell, MemoryFileSystem,
// MemoryClipboard; data: MemoryDataAccess, FailingDataAccess, MemorySpreadsheetFactory.
#ifndef VINTREL_HOST_MEMORY_MEMORY_HOST_H_
#define VINTREL_HOST_MEMORY_MEMORY_HOST_H_

#include "host/memory/failing_data_access.h"
#include "host/memory/fault_injector.h"
#include "host/memory/memory_application.h"
#include "host/memory/memory_clipboard.h"
#include "host/memory/memory_command_bars.h"
#include "host/memory/memory_data_access.h"
#include "host/memory/memory_file_system.h"
#include "host/memory/memory_graph_chart.h"
#include "host/memory/memory_presentation.h"
#include "host/memory/memory_settings_store.h"
#include "host/memory/memory_shape.h"
#include "host/memory/memory_slide.h"
#include "host/memory/memory_spreadsheet.h"
#include "host/memory/recording_shell.h"
#include "host/memory/scripted_front_end.h"

#endif  // VINTREL_HOST_MEMORY_MEMORY_HOST_H_
