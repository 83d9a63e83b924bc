#pragma once

#include <QObject>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>

class QAction;
class QTextDocument;
class QWidget;

/// Файл → Печать…, Предварительный просмотр… and Экспорт в PDF…: the
/// statement of the sheet on paper. It owns the three actions and their
/// dialogs; what it prints it asks of the window through Source, and what
/// went wrong it says by Failed, for the window to show in its one place.
class StatementActions : public QObject {
    Q_OBJECT

public:
    struct Source {
        /// The statement of the sheet as it stands now.
        std::function<std::unique_ptr<QTextDocument>()> build;
        /// Folder and name a job of the sheet would be saved under, or empty.
        std::function<QString()> proposedJob;
        /// The open job's file, which a PDF must never overwrite.
        std::function<std::filesystem::path()> jobFile;
    };

    /// The actions are children of this object, itself a child of window,
    /// over which the dialogs open.
    StatementActions(QWidget& window, Source source);

    QAction* Print = nullptr;
    QAction* Preview = nullptr;
    QAction* Pdf = nullptr;

    /// Writes the statement to path as PDF. Returns an empty string, or what
    /// went wrong.
    QString ExportPdf(const QString& path) const;

    void PrintStatement();
    void PreviewStatement();
    /// Asks for the PDF's name, proposed beside the job, and writes it.
    void ExportStatement();

signals:
    void Failed(const QString& message);

private:
    QWidget& window_;
    Source source_;
};
