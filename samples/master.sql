-- The master's rows: what the target should hold after "Update".
INSERT INTO PRODUCTS VALUES (1, 'Anchor bolt', 0.35, '2024-03-01 08:00:00', 'Zinc plated.', x'89504E470D0A1A0A0001');
INSERT INTO PRODUCTS VALUES (2, 'Brass hinge', 4.20, '2024-03-02 09:15:30.5', 'Pair, with screws.', NULL);
INSERT INTO PRODUCTS VALUES (3, 'Copper pipe', 12.90, '2024-03-03 10:30:00', 'Two metres; 15 mm.', x'00FF00FF');
INSERT INTO PRODUCTS VALUES (4, 'Door handle', 18.50, '2024-03-04 11:45:00', NULL, x'CAFEBABE');
INSERT INTO PRODUCTS VALUES (5, 'Eye hook', 0.80, NULL, 'Stainless steel.', x'0102030405');
COMMIT;
