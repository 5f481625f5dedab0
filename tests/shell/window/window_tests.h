// The window test suites, driven through the frame's actions as a user would.
#pragma once

#include <QObject>

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

}  // namespace zeq::desk::test
