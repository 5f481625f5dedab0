// What the window tests share: a temporary application home, dialogs that answer from a
// script and remember what they were asked, and a started main window.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "shell/main_window.h"
#include "shell/shell_dialogs.h"

namespace zeq::desk::test {

class ScriptedDialogs : public ShellDialogs {
  public:
    QList<Answer> answers;  // taken in order; No when none is left
    QStringList openNames;  // taken in order; cancelled when none is left
    QStringList saveNames;  // taken in order; cancelled when none is left
    QStringList messages;
    QStringList questions;
    QStringList savePresets;
    QList<QUrl> urls;
    QStringList programs;

    void message(const QString& text) override { messages << text; }
    Answer ask(const QString& text, const QString&, bool) override {
        questions << text;
        return answers.isEmpty() ? Answer::No : answers.takeFirst();
    }
    QString openFileName(const QString&) override {
        return openNames.isEmpty() ? QString() : openNames.takeFirst();
    }
    QString saveFileName(const QString& preset, const QString&) override {
        savePresets << preset;
        return saveNames.isEmpty() ? QString() : saveNames.takeFirst();
    }
    bool openUrl(const QUrl& url) override {
        urls << url;
        return true;
    }
    bool startProgram(const QString& path) override {
        programs << path;
        return true;
    }
};

// A fresh application home and per-user settings folder for one test.
class TempHome {
  public:
    TempHome() {
        qputenv("ZEQ_HOME", m_dir.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (m_dir.path() + QStringLiteral("/config")).toLocal8Bit());
    }
    QString path(const QString& name = {}) const {
        return name.isEmpty() ? m_dir.path() : m_dir.path() + QLatin1Char('/') + name;
    }
    QString iniPath() const { return path(QStringLiteral("dat/zeq.ini")); }
    void write(const QString& name, const QByteArray& bytes) const {
        QDir().mkpath(QFileInfo(path(name)).path());
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString& name) const {
        QFile f(name.startsWith(QLatin1Char('/')) ? name : path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

  private:
    QTemporaryDir m_dir;
};

inline std::unique_ptr<MainWindow> startWindow(const std::shared_ptr<ScriptedDialogs>& dialogs,
                                               const QString& file = {}) {
    auto w = std::make_unique<MainWindow>(dialogs);
    ShellOptions options;
    options.file = file;
    w->startUp(options);
    w->show();
    return w;
}

}  // namespace zeq::desk::test
