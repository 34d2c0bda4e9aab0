// The mechanics file: what a person may write into it, and the message that names what is
// wrong when the file will not do.
#include <gtest/gtest.h>

#include "mechanics.h"

namespace
{
using sim::Mechanics;
using sim::Model;

struct BadFile {
    const char *text;
    const char *message; // the message names this
};

TEST(Mechanics, BadFilesAreRefusedNamingTheFieldAndLeaveTheMechanicsAlone)
{
    const BadFile cases[] = {
        {"{\"headTilt\": 1", "not valid JSON"},
        {"[1, 2]", "the file must hold a JSON object"},
        {"{\"headTilt\": 1, \"tilt\": 2}", "unknown field \"tilt\""},
        {"{\"pwSensor\": {\"middle\": 0}}", "unknown field \"pwSensor.middle\""},
        {"{\"bid\": {\"typical\": {\"VSD4\": {}}}}", "unknown field \"bid.typical.VSD4\""},
        {"{\"pwSensor\": {\"top\": 11}}", "field \"pwSensor.top\" is 11, outside -10 to 10"},
        {"{\"pwSensor\": {\"left\": -9}}", "field \"pwSensor.left\" is -9, outside -8 to 19"},
        {"{\"bid\": {\"narrow\": {\"VSD2\": {\"color\": 36}}}}",
         "field \"bid.narrow.VSD2.color\" is 36, outside -35 to 35"},
        {"{\"firstDot\": 1.5}", "field \"firstDot\" must be a whole number"},
        {"{\"pwSensor\": 3}", "field \"pwSensor\" must be an object"},
        {"{\"model\": \"q530\"}", "field \"model\" is for the"},
        {"{\"model\": \"q999\"}", "field \"model\" must be \"q510\" or \"q530\""},
        // A good field before the bad one is not taken either.
        {"{\"headTilt\": 2, \"crDispersion\": 101}", "field \"crDispersion\" is 101"},
    };
    const Mechanics before = sim::RandomMechanics(5);
    for (const BadFile &bad : cases) {
        Mechanics mechanics = before;
        const std::string why = sim::ParseMechanics(bad.text, Model::Q510, mechanics);
        EXPECT_NE(why.find(bad.message), std::string::npos) << bad.text << " gave: " << why;
        EXPECT_EQ(mechanics, before) << bad.text;
    }
}

TEST(Mechanics, WrittenMechanicsReadBackTheSameForEitherModel)
{
    for (const Model model : {Model::Q510, Model::Q530}) {
        const Mechanics written = sim::RandomMechanics(77777);
        Mechanics read;
        EXPECT_EQ(sim::ParseMechanics(sim::MechanicsJson(written, model), model, read), "");
        EXPECT_EQ(read, written);
    }
}

} // namespace
