#pragma once

#include <QDialog>

class PreviewText;

// Shows the text saving would write. Kept between uses.
class PreviewFrm : public QDialog
{
    Q_OBJECT
public:
    static PreviewFrm &instance();
    static PreviewFrm *loaded() { return s_instance; }
    static void unload();
    ~PreviewFrm() override;

    // The whole script text, read-only, drawn a screenful at a time.
    PreviewText *Text1;

private:
    explicit PreviewFrm(QWidget *parent = nullptr);
    static inline PreviewFrm *s_instance = nullptr;
};
