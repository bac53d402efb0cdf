#include "ui/dialog_farm_details.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "ui/window_services.h"

namespace zelmora {

dialog_farm_details::dialog_farm_details(const farm_details& details, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Farm details"));
    auto* intro = new QLabel(tr("Printed at the top of the quote and kept in the farm file."), this);
    intro->setWordWrap(true);
    producer_ = new QLineEdit(to_qstring(details.producer), this);
    agent_ = new QLineEdit(to_qstring(details.agent), this);
    agent_contact_ = new QLineEdit(to_qstring(details.agent_contact), this);
    agent_contact_->setPlaceholderText(tr("Telephone, e-mail or address"));
    note_ = new QPlainTextEdit(this);
    note_->setPlainText(to_qstring(details.note));
    note_->setTabChangesFocus(true);
    note_->setMinimumHeight(fontMetrics().lineSpacing() * 5);

    auto* fields = new QFormLayout;
    fields->addRow(tr("&Producer:"), producer_);
    fields->addRow(tr("&Agent:"), agent_);
    fields->addRow(tr("Agent &contact:"), agent_contact_);
    fields->addRow(tr("&Note:"), note_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(fields, 1);
    layout->addWidget(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 60);
}

farm_details dialog_farm_details::details() const {
    return {to_std(producer_->text()), to_std(agent_->text()), to_std(agent_contact_->text()),
            to_std(note_->toPlainText())};
}

}  // namespace zelmora
