#pragma once
// "ﾍﾟｰｼﾞﾚｱｳﾄの設定": the four margins and the resolution factor of printing, and the printer setup.

#include <QDialog>

#include "print/page_layout.h"

class QLineEdit;
class QPrinter;
class QPushButton;

namespace plume {

namespace platform {
class Profile;
}

class PageLayoutDialog : public QDialog {
    Q_OBJECT

public:
    // Filled from `profile`, written there on OK; "(&S)ﾌﾟﾘﾝﾀの設定" sets up `printer`.
    PageLayoutDialog(platform::Profile& profile, QPrinter& printer, QWidget* parent = nullptr);

    QLineEdit* field(PageLayoutField field) const;
    QPushButton* printerSetupButton() const { return m_setup; }

public Q_SLOTS:
    // A field that is no number in its range shows its message and takes the focus; the dialog stays.
    void accept() override;

private:
    PageLayoutForm form() const;

    platform::Profile& m_profile;
    QPrinter& m_printer;
    QLineEdit* m_left = nullptr;
    QLineEdit* m_top = nullptr;
    QLineEdit* m_right = nullptr;
    QLineEdit* m_bottom = nullptr;
    QLineEdit* m_resolution = nullptr;
    QPushButton* m_setup = nullptr;
};

}  // namespace plume
