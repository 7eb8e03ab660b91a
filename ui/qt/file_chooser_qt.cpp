// Qt's own file dialog as the open-file chooser of dialogs/file_chooser:
// a new file in an existing directory is accepted, a missing directory is
// refused with the dialog left open, and a name typed without extension
// gets the default one.
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>
#include <algorithm>
#include <cstring>

#include "app/file_chooser_setup.h"
#include "base/texts.h"
#include "dialogs/controls.h"
#include "ui/qt/dialog_window.h"

namespace {

constexpr size_t kPathBytes = 260;

// "*.WAV" matches "x.wav" too, as on Windows.
QString bothCases(const QString& patterns) {
    QStringList all;
    for (const QString& pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        all << trimmed;
        if (trimmed.toLower() != trimmed) all << trimmed.toLower();
        if (trimmed.toUpper() != trimmed) all << trimmed.toUpper();
    }
    all.removeDuplicates();
    return all.join(QLatin1Char(' '));
}

// Description and pattern pieces, zero-separated, ending in an empty one.
QStringList nameFilters(const char (&filter)[1024]) {
    QStringList filters;
    size_t at = 0;
    while (at < sizeof filter && filter[at]) {
        const size_t descriptionLength = strnlen(filter + at, sizeof filter - at);
        const size_t patternAt = at + descriptionLength + 1;
        if (patternAt >= sizeof filter || !filter[patternAt]) break;
        const size_t patternLength = strnlen(filter + patternAt, sizeof filter - patternAt);
        QString description = QString::fromUtf8(filter + at, static_cast<qsizetype>(descriptionLength));
        // Qt reads the patterns from the last parentheses of the text.
        description.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
        const QString patterns = QString::fromUtf8(filter + patternAt, static_cast<qsizetype>(patternLength));
        filters << QStringLiteral("%1 (%2)").arg(description, bothCases(patterns));
        at = patternAt + patternLength + 1;
    }
    return filters;
}

class Chooser : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList files = selectedFiles();
        if (files.isEmpty()) return;
        const QFileInfo chosen(files.first());
        if (chosen.isDir()) {
            QFileDialog::accept();  // the dialog enters it
            return;
        }
        if (!chosen.absoluteDir().exists()) {
            refuse(QString::fromUtf8(::text(IDS_CHOOSER_NO_FOLDER)).arg(chosen.absolutePath()));
            return;
        }
        // A line break in a name would become a line of the settings file.
        const QString path = chosen.absoluteFilePath();
        if (std::any_of(path.cbegin(), path.cend(), [](QChar c) { return c.unicode() < 0x20; })) {
            refuse(QString::fromUtf8(::text(IDS_CHOOSER_BAD_NAME)).arg(chosen.fileName().simplified()));
            return;
        }
        if (static_cast<size_t>(chosen.absoluteFilePath().toUtf8().size()) >= kPathBytes) {
            refuse(QString::fromUtf8(::text(IDS_CHOOSER_LONG_NAME)).arg(chosen.fileName()));
            return;
        }
        QFileDialog::accept();
    }

private:
    // Modal to the chooser alone, as the chooser is to the dialog that asked.
    void refuse(const QString& text) {
        QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
        box.setWindowModality(Qt::WindowModal);
        box.exec();
    }
};

}  // namespace

bool runFileChooser(WindowHandle owner, const FileChooserSetup& setup, char (&file)[260],
                    const char* defaultExtension) {
    Chooser chooser(dialogWindow(owner), QString::fromUtf8(setup.title));
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setFileMode(QFileDialog::AnyFile);
    chooser.setNameFilters(nameFilters(setup.filter));
    if (defaultExtension && *defaultExtension) chooser.setDefaultSuffix(QString::fromUtf8(defaultExtension));
    const QString start = QString::fromUtf8(file);
    const QString directory = QString::fromUtf8(setup.initialDirectory);
    if (!directory.isEmpty() && QFileInfo(directory).isDir()) chooser.setDirectory(directory);
    else if (!start.isEmpty()) chooser.setDirectory(QFileInfo(start).absolutePath());
    if (!start.isEmpty()) chooser.selectFile(QFileInfo(start).fileName());
    // Modal to the dialog that asked only, as the system's chooser is.
    chooser.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return false;
    const QByteArray chosen = QFileInfo(chooser.selectedFiles().first()).absoluteFilePath().toUtf8();
    if (static_cast<size_t>(chosen.size()) >= sizeof file) return false;
    memcpy(file, chosen.constData(), static_cast<size_t>(chosen.size()) + 1);
    return true;
}
