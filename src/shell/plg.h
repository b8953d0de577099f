#pragma once

#include <QWidget>

class QPushButton;

// The control the host places: one button that opens the script editor.
class Plg : public QWidget
{
    Q_OBJECT
public:
    explicit Plg(QWidget *parent = nullptr);
    ~Plg() override;

    QPushButton *Command1;

    // Before the host destroys the control: whether it may. With unsaved
    // work in the editor, the user is asked whether to save it first; false
    // when he cancels, or a save he asked for did not happen. A control
    // destroyed without this question closes every window unasked.
    bool UserControl_QueryClose();
    // Opens the editor on path, as "Ouvrir" would after its question about
    // unsaved work; the editor says why when the file cannot be read.
    void openFile(const QString &path);

public slots:
    void Command1_Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void UserControl_Show();
    void UserControl_Terminate();
};
