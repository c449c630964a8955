#pragma once
// The gate-time window ("ﾃﾞｨﾚｰ", "ｹﾞｰﾄｵﾝ") and the velocity window ("ﾍﾞﾛｼﾃｨｰ"): the values of the
// cursor group's notes, refreshed each time the score view places its caret, and "OK" sending the
// values typed to the view through the frame.

#include <QAbstractSpinBox>
#include <array>

#include "app/gate_velocity_form.h"
#include "app/qt/palette_window.h"

class QCheckBox;
class QListWidget;
class QPushButton;

namespace plume {

class CMainFrame;
class CPlmView;

// A number field with spin buttons that may also stay empty (the notes do not share a value). Any
// text is kept as typed: the form decides what it means.
class ValueSpinField final : public QAbstractSpinBox {
    Q_OBJECT

public:
    ValueSpinField(int minimum, int maximum, QWidget* parent);

    void setFieldText(const QString& text);
    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

Q_SIGNALS:
    // Typed or stepped by the user.
    void edited(const QString& text);

protected:
    StepEnabled stepEnabled() const override;

private:
    int m_minimum;
    int m_maximum;
};

class ValuePaletteWindow final : public PaletteWindow {
    Q_OBJECT

public:
    ValuePaletteWindow(CMainFrame& frame, NoteValueKind kind);

    const GateVelocityForm& form() const { return m_form; }
    ValueSpinField* field(int i) const { return m_fields[std::size_t(i)]; }
    QCheckBox* noteCheck() const { return m_check; }
    QListWidget* noteList() const { return m_list; }
    QPushButton* okButton() const { return m_ok; }

protected:
    void placeFirst() override;

private:
    void refresh(CPlmView* view);
    void noteChosen(int row);
    void ok();
    // Shows what the form holds, without echoing the changes back to it.
    void showForm();

    CMainFrame& m_frame;
    GateVelocityForm m_form;
    std::array<ValueSpinField*, 2> m_fields{};
    QCheckBox* m_check = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
    bool m_showing = false;
};

}  // namespace plume
