#include "rating/rating_session.h"

namespace zelmora {

bool rating_session::open(const std::string& path, settings_store& store, std::string& error_text,
                          reading_mode mode) {
    database = connect_premium_database(path, error_text);
    if (!database) return false;
    reading.emplace(*database);
    continuous_rater = std::make_unique<rater_aph_continuous>(database.get());
    continuous_rater->read_settings(store);
    calculator = std::make_unique<premium_calculator>(database.get(), continuous_rater.get(), error_text);
    calculator->read_settings(store, error_text);
    calculator->read_b_values(error_text);
    calculator->read_b_value_table(error_text);
    surcharges = std::make_unique<surcharge_list>();
    surcharges->read_surcharges(*database, error_text);
    practice_codes = std::make_unique<code_lookup>();
    practice_codes->read_practice_codes(*database, error_text);
    type_codes = std::make_unique<code_lookup>();
    type_codes->read_type_codes(*database, error_text);
    if (mode == reading_ended) reading.reset();
    return true;
}

std::unique_ptr<premium_calculator> rating_session::calculator_for(const farm& f, std::string& error_text) const {
    auto copy = std::make_unique<premium_calculator>(database.get(), continuous_rater.get(), error_text);
    if (calculator) static_cast<b_value_tables&>(*copy) = *calculator;
    copy->load_farm(f, error_text);
    return copy;
}

}  // namespace zelmora
