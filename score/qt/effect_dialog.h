#pragma once
// "効果の設定": one effect value at the cursor group, over EffectDialogForm.

#include <QDialog>

#include "score/effect_forms.h"

class QComboBox;
class QLineEdit;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace plume {

class EffectDialog : public QDialog {
    Q_OBJECT

public:
    // `doc` and `view` are changed on OK (snapshot kind 8); the caller repaints.
    EffectDialog(CPlmDoc& doc, ScoreView& view, std::size_t group, std::uint8_t number, QWidget* parent = nullptr);

    const EffectDialogForm& form() const { return m_form; }
    QLineEdit* valueField() const { return m_value; }
    QSpinBox* spinButton() const { return m_spin; }
    QSlider* slider() const { return m_slider; }
    QComboBox* kindList() const { return m_kind; }
    QRadioButton* deleteButton() const { return m_delete; }

public Q_SLOTS:
    void accept() override;

private:
    void showForm();

    CPlmDoc& m_doc;
    ScoreView& m_view;
    EffectDialogForm m_form;
    QLineEdit* m_value = nullptr;
    QSpinBox* m_spin = nullptr;
    QSlider* m_slider = nullptr;
    QComboBox* m_kind = nullptr;
    QRadioButton* m_set = nullptr;
    QRadioButton* m_delete = nullptr;
    bool m_syncing = false;
};

// The Edit menu's effect commands ("ﾎﾞﾘｭｰﾑ" .. "ﾃﾝﾎﾟ") without a range: the dialog at the cursor
// group. Returns whether the song changed.
bool showEffectDialog(QWidget* parent, CPlmDoc& doc, ScoreView& view, std::uint8_t number);

}  // namespace plume
