#pragma once
// The overview window's proof list controls: one "Kopieren als" choice of the
// format, "Kopieren" (to the clipboard, said in the status line, no dialog)
// and "Speichern..." (the format from the file type, a file name with the
// query date suggested).

#include <QWidget>

#include <functional>
#include <string>

#include "reports/proof_list.h"

class QComboBox;
class QPushButton;

namespace ql::ui {

class ProofListBar : public QWidget {
    Q_OBJECT
public:
    using TextOf = std::function<std::string(ProofFormat)>;

    // text gives the list in a format; queryDate the date of the loaded query.
    ProofListBar(TextOf text, std::function<std::string()> queryDate, QWidget* parent = nullptr);

    ProofFormat format() const;
    void setFormat(ProofFormat format);

    // Copies the list in the chosen format; reports it through copied.
    void copy();
    // Writes the list to path in the format its file type asks for.
    void save(const QString& path);
    // The file name the save dialog suggests.
    QString suggestedFileName() const;

    QComboBox* formatBox() const { return cboFormat_; }

signals:
    void message(const QString& text);

private:
    TextOf text_;
    std::function<std::string()> queryDate_;
    QComboBox* cboFormat_ = nullptr;
    QPushButton* btnKopieren_ = nullptr;
    QPushButton* btnSpeichern_ = nullptr;
};

}  // namespace ql::ui
