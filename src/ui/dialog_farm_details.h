#pragma once
// The "Farm details" dialog: whose farm it is (the producer), the agent who
// quotes it and how to reach the agent, and a note of any number of lines. It
// edits a copy; the caller takes details() after OK.
#include <QDialog>

#include "rating/farm_file.h"

class QLineEdit;
class QPlainTextEdit;

namespace zelmora {

class dialog_farm_details : public QDialog {
    Q_OBJECT
public:
    dialog_farm_details(const farm_details& details, QWidget* parent = nullptr);

    // The texts as they stand in the fields.
    farm_details details() const;

    QLineEdit* producer_field() const { return producer_; }
    QLineEdit* agent_field() const { return agent_; }
    QLineEdit* agent_contact_field() const { return agent_contact_; }
    QPlainTextEdit* note_field() const { return note_; }

private:
    QLineEdit* producer_ = nullptr;
    QLineEdit* agent_ = nullptr;
    QLineEdit* agent_contact_ = nullptr;
    QPlainTextEdit* note_ = nullptr;
};

}  // namespace zelmora
