#pragma once
// The program's one window: every control under its design name, start-up,
// the size cap, exit, and the pitch list's load and delete.

#include "job/job_state.h"

#include <QString>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tovrel {

class DriveList;
class FileList;
class FolderList;
class NameBox;
class ProgressScrollBar;

class mainS : public QWidget {
    Q_OBJECT
  public:
    // dataFolder is the folder that holds the data file kvxj.dll.
    explicit mainS(std::filesystem::path dataFolder, QWidget* parent = nullptr);

    JobState job;

    // The controls; array elements are named "TextX(0)" and so on.
    NameBox* Text1 = nullptr;
    NameBox* Text2 = nullptr;
    NameBox* Text3 = nullptr;
    NameBox* Text4 = nullptr;
    std::array<QLineEdit*, 4> TextX{};
    std::array<QLineEdit*, 4> TextY{};
    QPushButton* Command1 = nullptr;
    QLineEdit* TextOUT = nullptr;
    DriveList* Drive1 = nullptr;
    FolderList* Dir1 = nullptr;
    FileList* File1 = nullptr;
    QPushButton* Command2 = nullptr;
    ProgressScrollBar* HScroll1 = nullptr;
    QComboBox* CombK = nullptr;
    QComboBox* Combo3 = nullptr;
    QComboBox* Combo4 = nullptr;
    std::array<QFrame*, 4> Picture1{};
    QCheckBox* LB1 = nullptr;
    QComboBox* CombG = nullptr;
    QCheckBox* YBL = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* Command3 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Op_h = nullptr;
    QRadioButton* Op_s = nullptr;
    std::array<QLabel*, 4> Image1{};
    std::array<QLabel*, 4> LabXY{};
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* CommandPitchTest = nullptr;

    // Every message box of the window: title "Tovrel", one OK button, modal.
    // While messageHook is set it receives the text instead.
    void showMessage(const QString& text);
    std::function<void(const QString&)> messageHook;

    // The three credit lines of the maker.
    void writeCredits();

    // Refills the pitch box from the data file and leaves "栅距mm" in it.
    void loadXJ();

    void Form_Load();
    void Form_Resize();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Combo3_Click();
    void Combo3_Change();
    void Combo4_Click();
    void Combo4_Change();
    void CombK_Change();
    void CombG_Change();
    void LB1_Click();
    void Op_h_Click();
    void Op_s_Click();
    // Opens the pitch test dialog with the pitch box's pitch and the flip
    // direction.
    void CommandPitchTest_Click();

    // Stores pitch and sharpness with their resolution and shows it in
    // pixels per inch.
    void PrintFBL();

    // Reads the header of every chosen picture, shows previews and sizes,
    // works out the common frame and proposes a print size.
    void GetF_info();

    // Picking the pictures into the four slots.
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void Text1_GotFocus();
    void Text2_GotFocus();
    void Text3_GotFocus();
    void Text4_GotFocus();
    // Name box Text1 to Text4 of a slot 1 to 4.
    NameBox* nameBox(int slot) const;

    // Writes the header of the current run (tifW, tifH, fbl) into file and
    // records the run's pitch; false, after a message, when no header was
    // written.
    bool MakeTif(const std::filesystem::path& file);

    const std::filesystem::path& dataFolder() const { return dataFolder_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void buildControls();
    void setFocusOrder();
    void connectHandlers();
    void connectFileSelection();
    // Enables the white-gap list with its first item chosen.
    void enableWhiteGapList();

    std::filesystem::path dataFolder_;
    bool loaded_ = false;
    // How deep the width and height handlers run nested in each other.
    int sizeExchangeDepth_ = 0;
};

} // namespace tovrel
