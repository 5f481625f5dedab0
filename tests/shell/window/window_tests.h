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
    void frameStartFollowsTheBoards();

  private:
    struct Fixture;
    std::unique_ptr<Fixture> m;
};

// The register configuration, teach and firmware dialogs over a virtual card.
class RegisterConfigDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void pagesFollowTheirBitTables_data();
    void pagesFollowTheirBitTables();
    void refusedNumberKeepsTheAxis();
    void downloadCommandReportsToTheOutputBox();
};

class TeachDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void deleteRenumbersTheRows();
};

class FirmwareDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void captionsAndCloseGuard();
};

// The graph, jog and homing dialogs over a virtual card.
class ToolDialogsTest : public QObject {
    Q_OBJECT
  public:
    ToolDialogsTest();
    ~ToolDialogsTest() override;

  private slots:
    void init();
    void cleanup();
    void graphButtonCaptionsFollowTheCapture();
    void graphKeepsItsSettingsAndFiles();
    void homingShowsTheSixteenBits();
    void jogStopsOnReleaseAnywhereAndOnFocusLoss();

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

// The device bars over two virtual cards.
class DeviceBarsTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void connectAndDisconnectThroughASlotBar();
    void aFailingCardLeavesTheBarsUsable();
    void boardNumberAlreadyTaken();
    void rememberedBoardsComeBackAtTheNextStart();
    void startUpSearchesAndConnectsOnTheWorker();
    void cardTypeSwitchRefusedWhileConnected();
    void countersShowAfterTheCommand();
    void renameWritesTheNewDescription();
};

}  // namespace zeq::desk::test
