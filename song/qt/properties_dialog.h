#pragma once
// The song's properties dialog "プロパティー": lays out the PropertiesForm's fields.

#include <QDialog>
#include <functional>
#include <optional>

#include "song/properties_form.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace plume {

class PropertiesDialog : public QDialog {
    Q_OBJECT

public:
    // "参照(&B)": the melody-instrument dialog for a melody song, the drum-set dialog for a rhythm
    // song, on a copy of the settings; the chosen bytes 6-8, or nullopt when cancelled.
    using InstrumentChooser = std::function<std::optional<SongInfo>(const SongInfo&, QWidget* parent)>;

    // Without a chooser the browse button is disabled.
    PropertiesDialog(const PropertiesForm& form, InstrumentChooser chooser = {}, QWidget* parent = nullptr);

    // After OK.
    const std::optional<PropertiesForm::Result>& result() const { return m_result; }
    const PropertiesForm& form() const { return m_form; }

    QRadioButton* rhythmButton() const { return m_rhythm; }
    QRadioButton* melodyButton() const { return m_melody; }
    QComboBox* moduleList() const { return m_module; }
    QLabel* instrumentLabel() const { return m_instrument; }
    QPushButton* browseButton() const { return m_browse; }
    QSpinBox* tempoField() const { return m_tempo; }
    QCheckBox* allTracksBox() const { return m_allTracks; }

public Q_SLOTS:
    void accept() override;
    void reject() override;

private:
    void kindChosen();
    void moduleChosen(int index);
    void browse();
    void showInstrument();

    PropertiesForm m_form;
    InstrumentChooser m_chooser;
    std::optional<PropertiesForm::Result> m_result;
    QRadioButton* m_rhythm = nullptr;
    QRadioButton* m_melody = nullptr;
    QComboBox* m_module = nullptr;
    QLabel* m_instrument = nullptr;
    QPushButton* m_browse = nullptr;
    QComboBox* m_key = nullptr;
    QSpinBox* m_tempo = nullptr;
    QSpinBox* m_numerator = nullptr;
    QComboBox* m_denominator = nullptr;
    QCheckBox* m_allTracks = nullptr;
};

}  // namespace plume
