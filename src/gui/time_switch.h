#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <memory>

namespace fee {
class BrokerTable;
}

namespace fee::ui {

class Form_sl;

// The frequency question. Its answer sets sw_time, fills the trade plan window
// with the preset for both answers and shows it; closing it answers nothing.
class time_switch : public QDialog {
    Q_OBJECT
public:
    explicit time_switch(BrokerTable& table);
    ~time_switch() override;

    QLabel Label1{this};
    QPushButton key_few{this};
    QPushButton key_many{this};

private:
    void key_few_Click();
    void key_many_Click();
    void z_answer(std::uint8_t time);
    void z_set_fig_data();

    BrokerTable& table_;
    std::unique_ptr<Form_sl> form_sl_;
};

} // namespace fee::ui
