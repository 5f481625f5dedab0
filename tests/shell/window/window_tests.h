// The window test suites, driven through the frame's actions as a user would.
#pragma once

#include <QObject>
#include <memory>

namespace zeq::desk::test {

class DocumentTest : public QObject {
    Q_OBJECT
  private slots:
    void newAsksBeforeDiscardingAnUntitledText();
    void recentFileAsksBeforeDiscarding();
    void droppedFileAsksBeforeDiscarding();
    void twoDroppedFilesDoNothing();
    void titleIsRebuiltAfterSave();
    void failedSaveKeepsTheOldFileAndSaysSo();
    void missingRecentFileIsRemoved();
    void runningInterpreterBlocksOtherDocuments();
    void closeWithCancelledSaveDialogStaysOpen();
};

class EditorTest : public QObject {
    Q_OBJECT
  private slots:
    void indentsAfterWhileAndAfterATabbedLine();
    void showsTheCallTipOfABuiltIn();
    void coloursAGbkScriptWithChineseComments();
    void languageOneColoursNothing();
    void rulesComeFromThePerUserStore();
    void gbkFileRoundTripsByteForByte();
    void missingFaceFallsBackToACjkFont();
    void marksTheRunningLine();
    void findsAndReplaces();
};

class FrameTest : public QObject {
    Q_OBJECT
  private slots:
    void laterCommandsArePresentAndDisabled();
    void viewCommandsShowHideAndLock();
    void zoomAbsentOpensMaximised();
    void commandBoxStoresItsLines();
    void exitFromTheFileMenuByKeyboard();
    void outputBoxAppendRules();
    void parameterWindowFilters();
    void helpOpensTheDocumentBelowTheHome();
    void everyPaneAndBarHasAnAccessibleName();
};

class EndToEndTest : public QObject {
    Q_OBJECT
  private slots:
    void editSaveCloseAndRestore();
};

// The watch box over a virtual card.
class WatchPaneTest : public QObject {
    Q_OBJECT
  public:
    WatchPaneTest();
    ~WatchPaneTest() override;

  private slots:
    void init();
    void cleanup();
    void menuEnablingFollowsTheListAndTheSelection();
    void addWindowFiltersAndAddsTheTypedName();
    void boardAndAxisCellsEditInPlaceAndSave();
    void pollingShowsValuesInTheValueCells();
    void dockLoadsAtCreationAndSavesAtClose();

  private:
    struct Fixture;
    std::unique_ptr<Fixture> m;
};

// Run control over a session with a virtual card.
class RunControlTest : public QObject {
    Q_OBJECT
  public:
    RunControlTest();
    ~RunControlTest() override;

  private slots:
    void init();
    void cleanup();
    void demoRunsToTheEndFromItsKey();
    void untitledChangedTextIsSavedThroughTheDialogFirst();
    void stepFromIdleThenOneStatementPerStep();
    void pauseContinueThenStopEndsTheRun();
    void breakpointInTheGutterPausesAndFollowsItsLine();
    void emergencyStopKeyEndsTheRunWithoutATarget();
    void instructionBoxRunsAndItsButtonStopsIt();

  private:
    struct Fixture;
    std::unique_ptr<Fixture> m;
};

}  // namespace zeq::desk::test
