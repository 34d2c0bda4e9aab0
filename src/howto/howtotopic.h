#pragma once

// The instruction windows that show how to read a printed adjustment pattern.
enum class THowToTopic { Bid, HeadAngular, PwSensor, FirstDot, TopMargin, Count };
